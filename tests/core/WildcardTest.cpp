// The wildcard matcher: the Windows rules users know, on code points, without regard to case.
#include <gtest/gtest.h>

#include "platform/Wildcard.h"

namespace quillmere::test {
namespace {

struct MatchCase {
    std::string name;
    std::string pattern;
    std::string file;
    bool matches;
};

const MatchCase kMatchCases[] = {
    {"StarMatchesAnyRun", "*.jra", "ZO01.jra", true},
    {"StarMatchesEmptyRun", "*.jra", ".jra", true},
    {"ExtensionMustMatch", "*.jra", "ZO01.jrb", false},
    {"ExtensionIsNotAPrefix", "*.jra", "ZO01.jra.bak", false},
    {"CaseIsIgnored", "*.jra", "ZO01.JRA", true},
    {"CaseIsIgnoredInThePattern", "ZO*.JRA", "zo01.jra", true},
    {"EndingMatchesAJapaneseName", "*.jra", "オッズ.JRA", true},
    {"EndingLongerThanTheName", "*.jra", "jra", false},
    {"EndingOfAJapaneseNameMustMatch", "*.JRA", "表.jrb", false},
    {"StarAloneMatchesEverything", "*", "a.b", true},
    {"StarInTheMiddle", "zo*.jra", "zo123.jra", true},
    {"StarInTheMiddleNeedsThePrefix", "zo*.jra", "tn01.jra", false},
    {"SeveralStars", "*o*1*", "zo01.jra", true},
    {"StarsBacktrack", "*a*b*c", "aXbXbXc", true},
    {"StarsBacktrackAndFail", "*a*b*c", "aXbXbX", false},
    {"QuestionMatchesOneCharacter", "zo0?.jra", "zo01.jra", true},
    {"QuestionBeforeADotMayMatchNothing", "zo0?.jra", "zo0.jra", true},
    {"QuestionInsideANameNeedsACharacter", "z?01.jra", "z01.jra", false},
    {"QuestionMatchesOnlyOne", "zo0?.jra", "zo012.jra", false},
    {"QuestionMatchesOneJapaneseCharacter", "?.txt", "表.txt", true},
    {"TwoQuestionsForTwoJapaneseCharacters", "??.txt", "日本.txt", true},
    {"QuestionIsNotOneByteOfAJapaneseCharacter", "???a", "表a", false},
    {"JapaneseLiteral", "オッズ*.jra", "オッズ2001.JRA", true},
    {"FullWidthLettersIgnoreCase", "ＺＯ*", "ｚｏ01", true},
    {"LatinAccentsIgnoreCase", "ÉTÉ.txt", "été.TXT", true},
    {"CyrillicIgnoresCase", "ФАЙЛ.*", "файл.txt", true},
    {"GreekIgnoresCase", "ΑΛΦΑ", "αλφα", true},
    {"GreekAccentedCapitals", "ΆΈΉΊΌΎΏΪΫ", "άέήίόύώϊϋ", true},
    {"GreekFinalSigma", "ΟΔΟΣ.txt", "οδος.txt", true},
    {"DifferentLettersDiffer", "a.txt", "b.txt", false},
    {"StarDotStarMatchesNameWithoutDot", "*.*", "README", true},
    {"StarDotStarMatchesEverything", "*.*", "a.b.c", true},
    {"TrailingDotStarMatchesNameWithoutExtension", "zo01.*", "zo01", true},
    {"TrailingDotStarMatchesAnyExtension", "zo01.*", "zo01.jra", true},
    {"TrailingDotStarKeepsThePrefix", "zo01.*", "zo02", false},
    {"StarDotFindsNamesWithoutExtension", "*.", "README", true},
    {"StarDotSkipsNamesWithExtension", "*.", "a.txt", false},
    {"NameWithSpaces", "my file*.txt", "My File 2.TXT", true},
    {"ExactName", "zo01.jra", "ZO01.JRA", true},
    {"ExactNameNeedsAllCharacters", "zo01.jra", "zo01.jr", false},
    {"EmptyPatternMatchesOnlyEmpty", "", "a", false},
    {"StrayByteIsOneCharacter", "?.jra", "\xFF.jra", true},
    {"StrayByteMatchesOnlyItself", "\xFF*", "\xFE.jra", false},
    {"StrayByteMatchesItself", "\xFF*", "\xFF.jra", true},
    {"TruncatedSequenceIsOneCharacterPerByte", "??.jra", "\xE3\x81.jra", true},
    {"OverlongSlashIsNotASlash", "?", "\xC0\xAF", false},
    {"BracketsAreOrdinary", "[a].txt", "[a].txt", true},
    {"BracketsAreNoCharacterClass", "[a].txt", "a.txt", false},
};

class WildcardTest : public testing::TestWithParam<MatchCase> {};

// What the Windows file search finds among fourteen names, for 88 patterns: a public table of
// results measured on Windows, with the "." and ".." entries left out, and the names it finds
// only through their generated 8.3 short names (".aaa" is "AAA~1" there, so "<" finds it).
// Each row marks the names found, in the order of kSearchNames, with "x".
const char* const kSearchNames[] = {"..a",  "..a.a", ".a",    ".a..a", ".a.a", ".aaa", "a",
                                    "a..a", "a.a",   "a.a.a", "aa",    "aaa",  "aaaa", " .a"};

struct SearchCase {
    std::string pattern;
    std::string found;
};

const SearchCase kSearchCases[] = {
    {"*.*.*", "xxxxxxxxxxxxxx"},   {"*.*.", "xxxxxxxxxxxxxx"},  {".*.*", "xxxxxx--------"},
    {"*.*", "xxxxxxxxxxxxxx"},     {".*", "xxxxxx--------"},    {". *", "--------------"},
    {"*.", "------x---xxx-"},      {"*", "xxxxxxxxxxxxxx"},     {"*..*", "xx-x---x------"},
    {"*..", "------x---xxx-"},     {".*.", "--x--x--------"},   {"..*", "xx------------"},
    {"**", "xxxxxxxxxxxxxx"},      {"**.", "xxxxxxxxxxxxxx"},   {"*. ", "xxxxxxxxxxxxxx"},
    {"* .", "------x---xxx-"},     {"* . ", "xxxxxxxxxxxxxx"},  {"* . *", "--------------"},
    {"*.. ", "xxxxxxxxxxxxxx"},    {"*. .", "------x---xxx-"},  {"* ..", "------x---xxx-"},
    {" *..", "--------------"},    {"..* ", "xx------------"},  {"* .*.", "-------------x"},
    {"a*.", "------x---xxx-"},     {"*a ", "xxxxxxxxxxxxxx"},   {"*aa*", "-----x----xxx-"},
    {"aa*.", "----------xxx-"},    {"aa.*", "----------x---"},  {"a a*.*", "--------------"},
    {"a\"*\"a", "-------x-x----"}, {"aa*.*", "----------xxx-"}, {"a ?.*", "--------------"},
    {"? a.*", "--------------"},   {"a* a", "--------------"},  {" *a", "-------------x"},
    {"* *", "-------------x"},     {"a* .", "------x---xxx-"},  {" ?a", "--------------"},
    {"* .a", "-------------x"},    {"< .a", "-------------x"},  {"** .a", "-------------x"},
    {"<< .a", "-------------x"},   {"aa? ", "----------xx--"},  {"aa\"*", "----------x---"},
    {"*.a", "xxxxx--xxx---x"},     {"<.a", "xxxxx--xxx---x"},   {"<.<.<", "xx-xx--x-x----"},
    {"<.<.< ", "xx-xx--x-x----"},  {"<.<.", "xxxxxx-xxx---x"},  {"< .<.", "-------------x"},
    {"< .<. ", "-------------x"},  {"<.<. ", "xxxxxx-xxx---x"}, {".<.<", "xx-xx---------"},
    {"<.<", "xxxxxx-xxx---x"},     {".<", "--x--x--------"},    {"<.", "------x---xxx-"},
    {"<", "------x---xxx-"},       {"<..<", "x--x---x------"},  {"<..", "------x---xxx-"},
    {".<.", "--x--x--------"},     {"..<", "x-------------"},   {"<<", "xxxxxxxxxxxxxx"},
    {"<<.", "xxxxxxxxxxxxxx"},     {"<. ", "------x---xxx-"},   {"< .", "------x---xxx-"},
    {"< . ", "------x---xxx-"},    {"<.. ", "------x---xxx-"},  {"<. .", "------x---xxx-"},
    {"< ..", "------x---xxx-"},    {" <..", "--------------"},  {"..< ", "x-------------"},
    {"?", "------x-------"},       {"?.", "------x-------"},    {"?. ", "------x-------"},
    {"? .*", "--------------"},    {"??.", "------x---x---"},   {"??. ", "------x---x---"},
    {"???.", "------x---xx--"},    {"?.??.", "--x---x-x----x"}, {". ?", "--------------"},
    {">", "------x-------"},       {">.", "------x-------"},    {">. ", "------x-------"},
    {">>.", "------x---x---"},     {">>. ", "------x---x---"},  {">>>.", "------x---xx--"},
    {">.>>.", "--x-----x----x"},
};

class WindowsSearchTest : public testing::TestWithParam<SearchCase> {};

TEST_P(WindowsSearchTest, FindsWhatWindowsFinds) {
    const SearchCase& c = GetParam();
    const Wildcard::Pattern pattern(c.pattern);
    std::string found;
    for (const char* name : kSearchNames) found += pattern.Matches(name) ? 'x' : '-';
    EXPECT_EQ(found, c.found) << "pattern \"" << c.pattern << "\"";
}

INSTANTIATE_TEST_SUITE_P(Wildcard, WindowsSearchTest, testing::ValuesIn(kSearchCases));

TEST_P(WildcardTest, Matches) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(Wildcard::Matches(c.pattern, c.file), c.matches) << c.pattern << " ~ " << c.file;
}

INSTANTIATE_TEST_SUITE_P(Wildcard, WildcardTest, testing::ValuesIn(kMatchCases),
                         [](const testing::TestParamInfo<MatchCase>& info) { return info.param.name; });

TEST(Wildcard, LongNamesAgainstManyStarsFinishQuickly) {
    // A pattern of many stars against a long non-matching name must not explode in time.
    const std::string pattern = "*a*a*a*a*a*a*a*a*a*a*b";
    const std::string name(4000, 'a');
    EXPECT_FALSE(Wildcard::Matches(pattern, name));
}

}  // namespace
}  // namespace quillmere::test
