// FileModule: paths joined by the platform's separator, stamp names of valid moments, and the
// searches and messages of FolderExists. (How MakeFolder and CopyMatching report failures is
// pinned by the backup run's call tables.)
#include <gtest/gtest.h>

#include "backup/FileModule.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/NativePath.h"

namespace quillmere::test {
namespace {

// The separator that is not the platform's: an ordinary character of a name.
constexpr char kOtherSeparator = kPathSeparator == '/' ? '\\' : '/';

struct JoinCase {
    std::string name;
    std::string folder;
    std::string file;
    std::string expected;
};

// In these rows "/" stands for the platform's separator and "~" for the other one.
std::string Spell(std::string text) {
    text = Native(text);
    std::replace(text.begin(), text.end(), '~', kOtherSeparator);
    return text;
}

const JoinCase kJoinCases[] = {
    {"AddsTheSeparator", "/data", "20010605_210403", "/data/20010605_210403"},
    {"FolderEndingInSeparatorGetsNoSecond", "/data/", "x", "/data/x"},
    {"RootGetsNoSecondSeparator", "/", "x", "/x"},
    // On Windows "/" separates too; on POSIX systems "\" is part of the name.
    {"OtherSeparator", "/data~", "x", kPathSeparator == '/' ? "/data~/x" : "/data~x"},
    // On POSIX systems a drive path is a Wine drive's, and keeps to its own separator.
    {"DrivePathKeepsItsSeparator", "C:~pat98", "x", kPathSeparator == '/' ? "C:~pat98~x" : "C:~pat98/x"},
    {"EmptyFolderStillGetsTheSeparator", "", "x", "/x"},
    {"EmptyNameLeavesTheSeparatorLast", "/data", "", "/data/"},
    {"LeadingSeparatorOfTheNameIsKept", "/data", "/x", "/data//x"},
    {"FolderIsNotTrimmed", " /data ", "x", " /data /x"},
    {"JapaneseNamesAreJoinedWhole", "/バックアップ", "ファイル.jra", "/バックアップ/ファイル.jra"},
    {"FolderEndingInJapaneseCharacter", "/データ", "*.jra", "/データ/*.jra"},
};

class JoinPathTest : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinPathTest, Joins) {
    const JoinCase& c = GetParam();
    EXPECT_EQ(FileModule::JoinPath(Spell(c.folder), Spell(c.file)), Spell(c.expected));
}

INSTANTIATE_TEST_SUITE_P(FileModule, JoinPathTest, testing::ValuesIn(kJoinCases),
                         [](const testing::TestParamInfo<JoinCase>& info) { return info.param.name; });

struct StampCase {
    std::string name;
    LocalTime moment;
    std::string expected;
};

const StampCase kStampCases[] = {
    {"EveningIsOnThe24HourClock", {2001, 6, 5, 21, 4, 3}, "20010605_210403"},
    {"MidnightOfNewYear", {2027, 1, 1, 0, 0, 0}, "20270101_000000"},
    {"LastSecondOfTheYear", {2026, 12, 31, 23, 59, 59}, "20261231_235959"},
    {"LeapDay", {2024, 2, 29, 12, 0, 0}, "20240229_120000"},
    {"LeapDayOfACenturyDivisibleBy400", {2000, 2, 29, 1, 2, 3}, "20000229_010203"},
    {"SmallYearIsPaddedToFourDigits", {1, 1, 1, 0, 0, 0}, "00010101_000000"},
    {"LastRepresentableMoment", {9999, 12, 31, 23, 59, 59}, "99991231_235959"},
    {"NoLeapDayInACommonYear", {2023, 2, 29, 0, 0, 0}, ""},
    {"NoLeapDayInACenturyNotDivisibleBy400", {1900, 2, 29, 0, 0, 0}, ""},
    {"Month13", {2026, 13, 1, 0, 0, 0}, ""},
    {"Month0", {2026, 0, 1, 0, 0, 0}, ""},
    {"Day0", {2026, 1, 0, 0, 0, 0}, ""},
    {"April31", {2026, 4, 31, 0, 0, 0}, ""},
    {"Hour24", {2026, 1, 1, 24, 0, 0}, ""},
    {"Minute60", {2026, 1, 1, 0, 60, 0}, ""},
    {"LeapSecond", {2026, 12, 31, 23, 59, 60}, ""},
    {"NegativeSecond", {2026, 1, 1, 0, 0, -1}, ""},
    {"FiveDigitYear", {10000, 1, 1, 0, 0, 0}, ""},
    {"YearZero", {0, 1, 1, 0, 0, 0}, ""},
};

class StampNameTest : public testing::TestWithParam<StampCase> {};

TEST_P(StampNameTest, Formats) {
    EXPECT_EQ(FileModule::StampName(GetParam().moment), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(FileModule, StampNameTest, testing::ValuesIn(kStampCases),
                         [](const testing::TestParamInfo<StampCase>& info) { return info.param.name; });

struct ExistsCase {
    std::string name;
    std::string path;
    std::map<std::string, std::string> found;     // "pattern attributes" -> first entry
    std::map<std::string, std::string> failures;  // logged search -> failure text
    bool exists;
    std::vector<std::string> log;
};

const ExistsCase kExistsCases[] = {
    {"FoundBySearch", "/data", {{"/data 16", "data"}}, {}, true, {"find /data 16"}},
    {"NothingFoundIsNoFolderAndNoMessage", "/missing", {}, {}, false, {"find /missing 16"}},
    // Trailing separators name the same folder, looked up by its name: never listed, so one that
    // may not be listed, or lists nothing, is found all the same.
    {"FolderWithSeparatorsIsLookedUpWithout",
     "/drop//",
     {{"/drop 16", "drop"}, {"/drop/. 16", "."}},
     {{"find /drop// 16", "/drop//: Permission denied"}},
     true,
     {"find /drop 16", "find /drop/. 16"}},
    {"FileWithSeparatorIsNoFolder",
     "/a.jra/",
     {{"/a.jra 16", "a.jra"}},
     {},
     false,
     {"find /a.jra 16", "find /a.jra/. 16"}},
    {"MissingFolderWithSeparator", "/missing/", {}, {}, false, {"find /missing 16"}},
    {"RootListingNothingIsLookedUpItself", "/", {{"/. 16", "."}}, {}, true, {"find / 16", "find /. 16"}},
    // On Linux too: there "C:" without its separator would be a name in the working folder.
    {"DriveRootKeepsItsSeparator", "C:/", {{"C:/ 16", "drive_c"}}, {}, true, {"find C:/ 16"}},
    {"FailingSearchIsShownWithoutIconUnderTheApplicationTitle",
     "/mnt/cdrom",
     {},
     {{"find /mnt/cdrom 16", "/mnt/cdrom: No medium found"}},
     false,
     {"find /mnt/cdrom 16", "prompt 0 [-] /mnt/cdrom: No medium found"}},
    {"TwoFailingSearchesOfARootShowTheFirstOnce",
     "/",
     {},
     {{"find / 16", "/: No medium found"}, {"find /. 16", "/.: No medium found"}},
     false,
     {"find / 16", "find /. 16", "prompt 0 [-] /: No medium found"}},
    {"FailingSearchOfAFolderWithSeparatorIsShown",
     "/mnt/cdrom/",
     {},
     {{"find /mnt/cdrom 16", "/mnt/cdrom: No medium found"}},
     false,
     {"find /mnt/cdrom 16", "prompt 0 [-] /mnt/cdrom: No medium found"}},
};

class FolderExistsTest : public testing::TestWithParam<ExistsCase> {};

TEST_P(FolderExistsTest, SearchesAndReports) {
    const ExistsCase& c = GetParam();
    std::vector<std::string> log;
    FakePlatform ops(log);
    ops.found = Native(c.found);
    ops.failures = Native(c.failures);
    std::vector<std::string> expected;
    for (const std::string& line : c.log) expected.push_back(Native(line));

    EXPECT_EQ(FileModule::FolderExists(ops, Native(c.path)), c.exists);
    EXPECT_EQ(log, expected);
}

INSTANTIATE_TEST_SUITE_P(FileModule, FolderExistsTest, testing::ValuesIn(kExistsCases),
                         [](const testing::TestParamInfo<ExistsCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quillmere::test
