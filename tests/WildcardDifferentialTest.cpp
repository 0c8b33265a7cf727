// Our wildcard matcher against the system's own: several hundred generated names are created in
// a temporary folder and every pattern is given both to Wildcard::Matches and to FindFirstFileExW.
// The two must agree on every name/pattern pair, apart from the Windows quirks listed below that
// the program deliberately does not copy. The search asks for no short names (FindExInfoBasic);
// on a volume that still generates 8.3 names the system would also match those, which the
// program filters out itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>

#include "platform/Wildcard.h"
#include "platform/win32/WideText.h"
#include "tests/TempFolder.h"

#undef CopyFile

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
    for (const char* extra : {".jra", ".hidden", "..", "...x", "x..", "no_dot_at_all", "ZO01", "zo01.", "a b.c d"}) {
        std::string name = extra;
        std::string key = name;
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name != ".." && name.back() != '.' && folded.insert(key).second) names.push_back(name);
    }
    return names;
}

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
    "*?",       "?*",     "*.*?",   "*.?*",      "t*.*",     "TN01",     "tn01.jra", "ZO01",     "zo01"};

// The long names the system's search finds. It also matches each name's 8.3 short form where
// the volume keeps one (Wine always makes one up for names that do not fit 8.3), which no user
// sees and the program filters out; those matches are left out here too, and the short name is
// asked for only to recognise them.
std::set<std::string> SystemMatches(const fs::path& folder, const std::string& pattern) {
    std::set<std::string> names;
    WIN32_FIND_DATAW data{};
    const std::wstring query = folder.wstring() + L"\\" + WideText::Widen(pattern);
    const HANDLE find = ::FindFirstFileExW(query.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << pattern;
        return names;
    }
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        const std::string longName = WideText::Narrow(name);
        const std::string shortName = WideText::Narrow(data.cAlternateFileName);
        if (!shortName.empty() && !Wildcard::Matches(pattern, longName) && Wildcard::Matches(pattern, shortName)) {
            continue;
        }
        names.insert(longName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

// Differences from the system that the program keeps on purpose, each with its reason. A pair
// listed here may go either way on the system (versions differ); ours must give `ours`.
struct Quirk {
    const char* reason;
    std::function<bool(std::string_view pattern, std::string_view name)> applies;
    bool ours;
};

std::size_t Dots(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '.'));
}

const std::vector<Quirk> kQuirks = {
    // Wine drops the final dots of a search pattern as it does for any path, so "*." finds every
    // name there. Windows and we find the names without an extension, as users expect of "*.".
    {"a final dot is dropped by Wine", [](std::string_view p, std::string_view) { return p.back() == '.'; }, false},
    // Wine's "*" gives up when "?" follows it, so "*?" finds nothing; Windows finds every name.
    {"\"*?\" finds nothing under Wine",
     [](std::string_view p, std::string_view) { return p.find("*?") != std::string_view::npos; }, true},
    // The system lets every "." before a "*" stand for the end of the name ("*.*.*" finds "A");
    // we drop only the last ".*", which is the rule the help describes.
    {"only the last \".*\" may be absent",
     [](std::string_view p, std::string_view) { return p.ends_with(".*") && Dots(p) > 1; }, false},
    // The system's "?" stops at a dot; ours is any one character, a dot too. Users read "?" as
    // exactly one character, which is also how the program explains it.
    {"\"?\" matches a dot",
     [](std::string_view p, std::string_view n) { return p.find('?') != std::string_view::npos && Dots(n) > Dots(p); },
     true},
    // Windows turns a "?" before a dot or at the end into "one character or none" ("q?" finds
    // "q"); we keep "?" to exactly one character.
    {"a final \"?\" may match nothing on Windows",
     [](std::string_view p, std::string_view) { return p.back() == '?' || p.find("?.") != std::string_view::npos; },
     false},
};

TEST(WildcardDifferential, AgreesWithTheSystemsSearchOnEveryPair) {
    TempFolder dir;
    const std::vector<std::string> names = GeneratedNames();
    for (const std::string& name : names) WriteFile(Utf8(dir.Path()) + "\\" + name, name);
    ASSERT_GE(names.size(), 500U);
    ASSERT_EQ(ListFolder(Utf8(dir.Path())).size(), names.size()) << "names that the file system folded together";

    int pairs = 0;
    for (const char* pattern : kPatterns) {
        const std::set<std::string> system = SystemMatches(dir.Path(), pattern);
        for (const std::string& name : names) {
            ++pairs;
            const bool ours = Wildcard::Matches(pattern, name);
            const bool theirs = system.contains(name);
            if (ours == theirs) continue;
            const auto quirk =
                std::find_if(kQuirks.begin(), kQuirks.end(), [&](const Quirk& q) { return q.applies(pattern, name); });
            if (quirk != kQuirks.end() && ours == quirk->ours) continue;
            ADD_FAILURE() << "pattern \"" << pattern << "\", name \"" << name << "\": ours " << ours << ", system "
                          << theirs;
        }
    }
    EXPECT_GE(pairs, 500 * 100);
}

}  // namespace
}  // namespace quillmere::test
