// Our wildcard matcher against the system's own: several hundred generated names are created in
// a temporary folder and every pattern is given both to Wildcard::Matches and to FindFirstFileExW,
// and the first-match check of the input tests is run on both sides' terms. The two must agree on
// every name and pattern, apart from the three differences the program keeps on purpose, listed
// in kKept with their reasons.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>

#include "platform/SystemFiles.h"
#include "platform/Wildcard.h"
#include "platform/win32/WideText.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> GeneratedNames() {
    const std::vector<std::string> stems = {
        "a",        "ab",      "abc",     "zo01",    "Zo02",     "TN01",     "x y",         "two  spaces",
        "a.b",      "v1.2.3",  "メモ",    "馬券",    "データ 1", "オッズ表", "ａｂｃ",      "ＸＹ",
        "résumé",   "Ωmega",   "leading", " lead",   "q",        "qq",       "end.",        "semi;colon",
        "plus+",    "(paren)", "[br]",    "tilde~1", "#hash",    "dash-ed",  "under_score", "日本語の長いファイル名",
        "ＺＯ０１", "b.c.d.e", "x",       "Abc Def"};
    const std::vector<std::string> extensions = {"",     ".jra", ".JRA",  ".Jra",  ".jra.bak", ".tar.gz",
                                                 ".txt", ".j",   ".jr",   ".jraa", "..jra",    ".ｊｒａ",
                                                 ".csv", ".a.b", ".日本", ". jra", ".1"};
    std::vector<std::string> names;
    std::set<std::string> folded;  // the system compares names without regard to case
    for (std::size_t s = 0; s < stems.size(); ++s) {
        for (std::size_t e = 0; e < extensions.size(); ++e) {
            std::string name = stems[s] + extensions[e];
            // Alternate the ASCII case so the patterns meet both.
            if ((s + e) % 3 == 0) {
                for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
            // Trailing dots and spaces are not kept by Windows file names.
            if (name.back() == '.' || name.back() == ' ') continue;
            std::string key = name;
            for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (folded.insert(key).second) names.push_back(name);
        }
    }
    for (const char* extra : {".jra", ".hidden", "..", "...x", "x..", "no_dot_at_all", "ZO01", "zo01.", "a b.c d",
                              "..a", "..a.a", ".a..a", ".a.a", "a..a", "a.a", "a.a.a", "aa", " .a"}) {
        std::string name = extra;
        std::string key = name;
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name != ".." && name.back() != '.' && folded.insert(key).second) names.push_back(name);
    }
    return names;
}

// Ordinary patterns, then those of a public table of Windows' own results (DOS wildcards typed
// directly, final dots and spaces).
const char* const kPatterns[] = {
    "*",        "*.*",    "*.",     ".*",        "*.jra",    "*.JRA",    "*.j*",     "*.j?a",    "*.?",      "*.??",
    "*.???",    "?",      "??",     "???",       "????",     "?.*",      "??.*",     "????.jra", "zo0?.*",   "ZO0?.JRA",
    "z*",       "*1*",    "*1",     "*.jra.*",   "*.*.*",    "*a*b*",    "a*",       "a.*",      "a*.",      "a?c",
    "abc.*",    "*.jr",   "*.jra?", "*.jra*",    "*.tar.gz", "*.gz",     "メモ*",    "*券*",     "?モ.*",    "*表.jra",
    "* *",      "*  *",   "ａ*",    "Ａ*",       "ＸＹ.*",   "*.ｊｒａ", "*.ＪＲＡ", "résumé.*", "RÉSUMÉ.*", "ω*",
    "Ω*.TXT",   "*[br]*", "*~*",    "tilde~1.*", "#*",       "*+*",      "(*)*",     "*;*",      "*-*",      "*_*",
    "v1.2.3.*", "v1.*",   "*.2.*",  "*..jra",    "*. jra",   ". *",      " *",       "*.日本",   "日本語*",  "*名",
    "*.1",      "?.1",    "no*",    "*dot*",     "a b*",     "*d",       "x*y",      "x?y*",     "*.a.b",    "*.b",
    "*.b*",     "q?",     "q??",    "q*q",       "*q*",      "...*",     "..*",      "*..",      "*.*.",     "**",
    "*?",       "?*",     "*.*?",   "*.?*",      "t*.*",     "TN01",     "tn01.jra", "ZO01",     "zo01",     ".*.*",
    "*..*",     ".*.",    "**.",    "*. ",       "* .",      "* . ",     "* . *",    "*.. ",     "*. .",     "* ..",
    " *..",     "..* ",   "* .*.",  "*a ",       "*aa*",     "aa*.",     "aa.*",     "a a*.*",   "a\"*\"a",  "aa*.*",
    "a ?.*",    "? a.*",  "a* a",   " *a",       "a* .",     " ?a",      "* .a",     "< .a",     "** .a",    "<< .a",
    "aa? ",     "aa\"*",  "*.a",    "<.a",       "<.<.<",    "<.<.< ",   "<.<.",     "< .<.",    "< .<. ",   "<.<. ",
    ".<.<",     "<.<",    ".<",     "<.",        "<",        "<..<",     "<..",      ".<.",      "..<",      "<<",
    "<<.",      "<. ",    "< .",    "< . ",      "<.. ",     "<. .",     "< ..",     " <..",     "..< ",     "?.",
    "?. ",      "? .*",   "??.",    "??. ",      "???.",     "?.??.",    ". ?",      ">",        ">.",       ">. ",
    ">>.",      ">>. ",   ">>>.",   ">.>>.",
};

// What the system's search finds. It also matches each name's 8.3 short form where the volume
// keeps one (Wine always makes one up for names that do not fit 8.3); the short name is asked for
// to tell the names found only through it.
struct SystemResult {
    std::set<std::string> names;
    std::set<std::string> onlyByShortName;
};

SystemResult SystemMatches(const fs::path& folder, const std::string& pattern) {
    SystemResult result;
    WIN32_FIND_DATAW data{};
    const std::wstring query = folder.wstring() + L"\\" + WideText::Widen(pattern);
    const HANDLE find = ::FindFirstFileExW(query.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << pattern;
        return result;
    }
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        const std::string longName = WideText::Narrow(name);
        const std::string shortName = WideText::Narrow(data.cAlternateFileName);
        result.names.insert(longName);
        if (!shortName.empty() && !Wildcard::Matches(pattern, longName) && Wildcard::Matches(pattern, shortName)) {
            result.onlyByShortName.insert(longName);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return result;
}

// The program trims the wildcard's spaces before it searches, on every platform.
std::string Trimmed(std::string_view pattern) {
    const auto first = pattern.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(pattern.substr(first, pattern.find_last_not_of(' ') - first + 1));
}

// One name on which the program and the system's search disagree.
struct Difference {
    std::string_view pattern;
    std::string_view name;
    bool firstMatch;         // in the first-match check, not in the matching itself
    bool onlyByShortName;    // the system found the name only through its 8.3 short name
    bool ours;               // whether the program takes the name
    bool systemWhenTrimmed;  // whether the system finds it for the trimmed pattern
};

// The differences the program keeps, each with its reason. Each is tied to its cause, so that
// no other difference can hide behind it.
struct Kept {
    const char* reason;
    std::function<bool(const Difference&)> applies;
};

const std::vector<Kept> kKept = {
    // A short name is made up by the file system and never shown; matching it would copy files
    // whose names do not fit the wildcard ("*.jra" finding "ZO01.JRAX" as "ZO01~1.JRA"). The
    // Windows build filters these matches out too.
    {"found only through an 8.3 short name", [](const Difference& d) { return d.onlyByShortName && !d.ours; }},
    // Linux has no hidden attribute; a name beginning with "." is what its users hide, so the
    // check for a matching file passes over such names there (the copy still takes them).
    {"a name beginning with \".\" is hidden to the first-match check on Linux",
     [](const Difference& d) { return d.firstMatch && d.name.starts_with('.'); }},
    // The window and the command trim the wildcard, so " *a" is "*a" to the program; the system
    // keeps the leading spaces (and drops only the final ones).
    {"the program trims the wildcard's spaces",
     [](const Difference& d) {
         return !d.firstMatch && d.pattern != Trimmed(d.pattern) && d.ours == d.systemWhenTrimmed;
     }},
};

// The kept difference that explains d, or nullptr.
const Kept* KeptFor(const Difference& d) {
    const auto kept = std::find_if(kKept.begin(), kKept.end(), [&](const Kept& k) { return k.applies(d); });
    return kept == kKept.end() ? nullptr : &*kept;
}

// Where Wine's search (8.0) gives other results than Windows, the system side here is Wine's
// fault, not a difference of ours. Each fault names the patterns it reaches and a documented
// Windows result that shows it: rows of the public table of Windows' own results that
// WildcardTest.cpp holds in full, and to which our matcher is held for these patterns.
struct Evidence {
    const char* pattern;
    const char* name;
    bool windowsFinds;
};

struct WineFault {
    const char* what;
    std::function<bool(std::string_view pattern)> reaches;
    std::vector<Evidence> evidence;
};

std::string_view WithoutFinalSpaces(std::string_view pattern) {
    return pattern.substr(0, pattern.find_last_not_of(' ') + 1);
}

const std::vector<WineFault> kWineFaults = {
    {"\"?\" takes exactly one character, a dot too, and never none",
     [](std::string_view p) { return p.find('?') != std::string_view::npos; },
     {{" ?a", " .a", false}, {"???.", "aa", true}}},
    {"\"<\", \">\" and '\"' are no wildcards",
     [](std::string_view p) { return p.find_first_of("<>\"") != std::string_view::npos; },
     {{"<.a", "a.a", true}, {"a\"*\"a", "a..a", true}}},
    {"a final dot is dropped without making the star before it stop at the last dot",
     [](std::string_view p) { return WithoutFinalSpaces(p).ends_with('.'); },
     {{"*.", "a.a", false}}},
    {"a final \"..*\" finds every name",
     [](std::string_view p) { return WithoutFinalSpaces(p).ends_with("..*"); },
     {{"*..*", "a.a", false}}},
};

bool WineFaultReaches(std::string_view pattern) {
    return std::any_of(kWineFaults.begin(), kWineFaults.end(), [&](const WineFault& f) { return f.reaches(pattern); });
}

TEST(WildcardDifferential, AgreesWithTheSystemsSearchApartFromTheKeptDifferences) {
    TempFolder dir;
    const std::vector<std::string> names = GeneratedNames();
    for (const std::string& name : names) WriteFile(Utf8(dir.Path()) + "\\" + name, name);
    ASSERT_GE(names.size(), 500U);
    ASSERT_EQ(ListFolder(Utf8(dir.Path())).size(), names.size()) << "names that the file system folded together";

    const std::string folder = Utf8(dir.Path());
    int pairs = 0;
    std::set<const Kept*> used;
    for (const char* pattern : kPatterns) {
        const std::string trimmed = Trimmed(pattern);
        const Wildcard::Pattern ours(trimmed);
        const SystemResult system = SystemMatches(dir.Path(), pattern);
        const SystemResult systemTrimmed = trimmed == pattern ? system : SystemMatches(dir.Path(), trimmed);
        std::string oursFirst;
        for (const std::string& name : names) {
            ++pairs;
            const bool taken = ours.Matches(name);
            if (taken && !name.starts_with('.') && (oursFirst.empty() || name < oursFirst)) oursFirst = name;
            const bool found = system.names.contains(name);
            if (taken == found) continue;
            const Difference d{
                pattern, name, false, system.onlyByShortName.contains(name), taken, systemTrimmed.names.contains(name)};
            if (const Kept* kept = KeptFor(d)) {
                used.insert(kept);
            } else if (!WineFaultReaches(pattern)) {
                ADD_FAILURE() << "pattern \"" << pattern << "\", name \"" << name << "\": ours " << taken << ", system "
                              << found;
            }
        }
        // The input check asks for the first match; the Windows build answers it from the system.
        if (!Wildcard::HasWildcards(trimmed)) continue;  // an exact name is looked up, not matched
        const std::string systemFirst = SystemFiles::FindFirstEntry(folder + "\\" + trimmed, EntryAttributes::Normal);
        if (systemFirst == oursFirst) continue;
        if (const Kept* kept = KeptFor({pattern, systemFirst, true, false, false, true})) {
            used.insert(kept);
        } else if (!WineFaultReaches(pattern)) {
            ADD_FAILURE() << "pattern \"" << pattern << "\": first match ours \"" << oursFirst << "\", system \""
                          << systemFirst << "\"";
        }
    }
    EXPECT_GE(pairs, 500 * 100);
    // Each kept difference shows here, or it no longer belongs in the list.
    for (const Kept& kept : kKept) EXPECT_TRUE(used.contains(&kept)) << "never met: " << kept.reason;
}

// The faults above are Wine's only while Wine still shows them: once a Wine release agrees with
// Windows on the evidence, the fault must leave the list.
TEST(WildcardDifferential, WineFaultsStillDifferFromTheDocumentedWindowsResults) {
    for (const WineFault& fault : kWineFaults) {
        for (const Evidence& e : fault.evidence) {
            TempFolder dir;
            WriteFile(Utf8(dir.Path()) + "\\" + e.name, e.name);
            EXPECT_EQ(Wildcard::Matches(e.pattern, e.name), e.windowsFinds) << e.pattern << " ~ " << e.name;
            EXPECT_NE(SystemMatches(dir.Path(), e.pattern).names.contains(e.name), e.windowsFinds)
                << "Wine now agrees with Windows that " << fault.what << " is no fault: \"" << e.pattern << "\" ~ \""
                << e.name << "\"";
        }
    }
}

}  // namespace
}  // namespace quillmere::test
