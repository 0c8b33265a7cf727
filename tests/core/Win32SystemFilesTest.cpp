// The Win32 file operations on real folders (what the search finds is in SystemFilesSearchTest.cpp,
// shared with POSIX systems): the 8.3 short names, paths beyond 260 characters, what the copy keeps of its source, what
// it leaves on disk when it fails, and the texts of its failures (the path and the system's own reason).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <regex>

#include "platform/SystemFiles.h"
#include "platform/win32/Win32Error.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

using enum EntryAttributes;

namespace fs = std::filesystem;

std::string Failure(const std::string& path, DWORD error) {
    return path + ": " + Win32Error::Reason(error);
}

DWORD AttributesOf(const std::string& path) {
    return ::GetFileAttributesW(FsPath(path).c_str());
}

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW(FsPath(path).c_str(), attributes)) << path;
}

// The system also matches the 8.3 short names ("ZO01~1.JRA" for "zo01.jrax"; Wine makes one up
// for every long name), which the user never sees: "*.jra" must not find or copy these files.
TEST(Win32SystemFiles, ShortNamesNeverMatch) {
    TempFolder dir;
    for (const char* name : {"zo01.jrax", "longer name.jraa", "odds.jra.bak"}) WriteFile(dir / name, name);
    fs::create_directory(dir.Path() / "target");
    const std::string pattern = dir / "*.jra";

    EXPECT_EQ(SystemFiles::FindFirstEntry(pattern, Normal), "");
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(pattern, dir / "target", true); }),
              Failure(pattern, ERROR_FILE_NOT_FOUND));
}

TEST(Win32SystemFiles, CreateFolderCreatesExactlyOne) {
    TempFolder dir;
    SystemFiles::CreateFolder(dir / "新しい フォルダ");
    EXPECT_TRUE(fs::is_directory(dir.Path() / u8"新しい フォルダ"));

    const std::string nested = dir / "missing\\child";
    EXPECT_EQ(FailureOf([&] { SystemFiles::CreateFolder(nested); }), Failure(nested, ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(fs::exists(dir.Path() / "missing"));

    EXPECT_EQ(FailureOf([&] { SystemFiles::CreateFolder(dir / "新しい フォルダ"); }),
              Failure(dir / "新しい フォルダ", ERROR_ALREADY_EXISTS));
}

// The temporary folder is on C:, whose volume (under Wine too) has a serial number that names
// every folder on it alike; what is no folder fails with its path.
TEST(Win32SystemFiles, FolderIdentityIsTheVolumeSerial) {
    TempFolder dir;
    fs::create_directory(dir.Path() / "sub");
    WriteFile(dir / "file", "x");
    const std::string identity = SystemFiles::FolderIdentity(dir / "sub");
    EXPECT_TRUE(std::regex_match(identity, std::regex("Serial=[0-9A-F]{4}-[0-9A-F]{4}"))) << identity;
    EXPECT_EQ(SystemFiles::FolderIdentity("C:\\"), identity);
    EXPECT_EQ(FailureOf([&] { SystemFiles::FolderIdentity(dir / "missing"); }),
              Failure(dir / "missing", ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FailureOf([&] { SystemFiles::FolderIdentity(dir / "file"); }), Failure(dir / "file", ERROR_DIRECTORY));
}

// Paths beyond the classic 260 characters: the folders are made, searched and copied into and
// out of through the same operations a backup uses.
TEST(Win32SystemFiles, PathsLongerThan260CharactersWork) {
    TempFolder dir;
    std::string deep = Utf8(dir.Path());
    for (int level = 0; level < 6; ++level) {
        deep += "\\" + std::string(50, static_cast<char>('a' + level)) + " 長い";
        SystemFiles::CreateFolder(deep);
    }
    ASSERT_GT(deep.size(), 300U);
    EXPECT_EQ(SystemFiles::FindFirstEntry(deep, Directory), std::string(50, 'f') + " 長い");
    EXPECT_EQ(SystemFiles::FindFirstEntry(deep + "\\", Directory), "");

    fs::create_directory(dir.Path() / "short");
    WriteFile(dir / "short\\odds.jra", "far away");
    SystemFiles::CopyMatching(dir / "short\\*.jra", deep, true);
    EXPECT_EQ(SystemFiles::FindFirstEntry(deep + "\\*.jra", Normal), "odds.jra");

    fs::create_directory(dir.Path() / "back");
    SystemFiles::CopyMatching(deep + "\\*.jra", dir / "back", true);
    EXPECT_EQ(ReadFile(dir / "back\\odds.jra"), "far away");
}

class CopyTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(FsPath(source));
        fs::create_directory(FsPath(target));
    }

    TempFolder dir;
    const std::string source = dir / "元 フォルダ";
    const std::string target = dir / "コピー 先";
};

TEST_F(CopyTest, CopiesMatchingFilesWithTheirTimesAndAttributes) {
    WriteFile(source + "\\ZO01.JRA", "odds one");
    WriteFile(source + "\\zo02.jra", std::string(3 << 20, 'x'));  // several steps of the copy loop
    WriteFile(source + "\\隠し.jra", "hidden");
    WriteFile(source + "\\note.txt", "not copied");
    fs::create_directory(FsPath(source + "\\sub.jra"));
    const fs::path odds = FsPath(source + "\\ZO01.JRA");
    fs::last_write_time(odds, fs::last_write_time(odds) - std::chrono::hours(24 * 4000) - std::chrono::microseconds(7));
    SetAttributes(source + "\\ZO01.JRA", FILE_ATTRIBUTE_READONLY);
    SetAttributes(source + "\\隠し.jra", FILE_ATTRIBUTE_HIDDEN);

    SystemFiles::CopyMatching(source + "\\*.jra", target, true);

    EXPECT_EQ(ListFolder(target), (std::vector<std::string>{"ZO01.JRA", "zo02.jra", "隠し.jra"}));
    EXPECT_EQ(ReadFile(target + "\\ZO01.JRA"), "odds one");
    EXPECT_EQ(ReadFile(target + "\\zo02.jra"), ReadFile(source + "\\zo02.jra"));
    EXPECT_EQ(fs::last_write_time(FsPath(target + "\\ZO01.JRA")), fs::last_write_time(odds));
    EXPECT_NE(AttributesOf(target + "\\ZO01.JRA") & FILE_ATTRIBUTE_READONLY, 0U);
    EXPECT_NE(AttributesOf(target + "\\隠し.jra") & FILE_ATTRIBUTE_HIDDEN, 0U);
    EXPECT_EQ(AttributesOf(target + "\\zo02.jra") & FILE_ATTRIBUTE_HIDDEN, 0U);
}

TEST_F(CopyTest, ReplacesASameNamedFileWithoutAsking) {
    WriteFile(source + "\\a.jra", "new");
    WriteFile(target + "\\A.JRA", "old and longer");
    SystemFiles::CopyMatching(source + "\\*.jra", target, true);
    EXPECT_EQ(ListFolder(target).size(), 1U);
    EXPECT_EQ(ReadFile(target + "\\a.jra"), "new");
}

TEST_F(CopyTest, WithoutOverwriteAnExistingFileIsKept) {
    WriteFile(source + "\\a.jra", "new");
    WriteFile(target + "\\a.jra", "old");
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(source + "\\*.jra", target, false); }),
              Failure(target + "\\a.jra", ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadFile(target + "\\a.jra"), "old");
    EXPECT_EQ(ListFolder(target), std::vector<std::string>{"a.jra"});
}

// The program that owns the data files may hold one open for writing while a backup runs.
TEST_F(CopyTest, FileHeldOpenForWritingByAnotherProgramIsCopied) {
    WriteFile(source + "\\a.jra", "in use");
    const HANDLE held = ::CreateFileW(FsPath(source + "\\a.jra").c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SystemFiles::CopyMatching(source + "\\*.jra", target, true);
    ::CloseHandle(held);
    EXPECT_EQ(ReadFile(target + "\\a.jra"), "in use");
}

TEST_F(CopyTest, FileLockedAgainstReadingStopsTheCopyWithItsPath) {
    WriteFile(source + "\\a.jra", "a");
    WriteFile(source + "\\b.jra", "b");
    WriteFile(source + "\\c.jra", "c");
    const HANDLE locked =
        ::CreateFileW(FsPath(source + "\\b.jra").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    const std::string failure = FailureOf([&] { SystemFiles::CopyMatching(source + "\\*.jra", target, true); });
    ::CloseHandle(locked);

    EXPECT_EQ(failure, Failure(source + "\\b.jra", ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ListFolder(target), std::vector<std::string>{"a.jra"});
}

TEST_F(CopyTest, StopsAtTheFirstFailureAndLeavesNoTemporaryFile) {
    WriteFile(source + "\\a.jra", "a");
    WriteFile(source + "\\b.jra", "b");
    WriteFile(source + "\\c.jra", "c");
    fs::create_directory(FsPath(target + "\\b.jra"));  // no file can replace a folder

    const std::string failure = FailureOf([&] { SystemFiles::CopyMatching(source + "\\*.jra", target, true); });

    EXPECT_EQ(failure.substr(0, target.size() + 8), target + "\\b.jra: ");
    EXPECT_EQ(ListFolder(target), (std::vector<std::string>{"a.jra", "b.jra"}));
    EXPECT_TRUE(fs::is_empty(FsPath(target + "\\b.jra")));
}

struct CopyFailureCase {
    std::string name;
    std::string pattern;      // relative to the test folder
    std::string destination;  // relative to the test folder
    std::string failingPath;  // relative to the test folder
    DWORD error;
};

const CopyFailureCase kCopyFailureCases[] = {
    {"NothingMatches", "元 フォルダ\\*.csv", "コピー 先", "元 フォルダ\\*.csv", ERROR_FILE_NOT_FOUND},
    {"OnlyAFolderMatches", "元 フォルダ\\sub*", "コピー 先", "元 フォルダ\\sub*", ERROR_FILE_NOT_FOUND},
    {"MissingExactName", "元 フォルダ\\none.jra", "コピー 先", "元 フォルダ\\none.jra", ERROR_FILE_NOT_FOUND},
    {"MissingSourceFolder", "missing\\*.jra", "コピー 先", "missing", ERROR_PATH_NOT_FOUND},
    {"MissingDestination", "元 フォルダ\\*.jra", "missing", "missing", ERROR_FILE_NOT_FOUND},
    {"DestinationIsAFile", "元 フォルダ\\*.jra", "元 フォルダ\\a.jra", "元 フォルダ\\a.jra", ERROR_DIRECTORY},
};

class CopyFailureTest : public CopyTest, public testing::WithParamInterface<CopyFailureCase> {};

TEST_P(CopyFailureTest, NamesThePathAndTheSystemsReason) {
    const CopyFailureCase& c = GetParam();
    WriteFile(source + "\\a.jra", "a");
    fs::create_directory(FsPath(source + "\\sub.jra"));
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(dir / c.pattern, dir / c.destination, true); }),
              Failure(dir / c.failingPath, c.error));
    EXPECT_TRUE(fs::is_empty(FsPath(target)));
}

INSTANTIATE_TEST_SUITE_P(Win32SystemFiles, CopyFailureTest, testing::ValuesIn(kCopyFailureCases),
                         [](const testing::TestParamInfo<CopyFailureCase>& info) { return info.param.name; });

TEST_F(CopyTest, CopyIntoTheSourceFolderItselfKeepsTheContent) {
    WriteFile(source + "\\a.jra", "same file");
    SystemFiles::CopyMatching(source + "\\a.jra", source, true);
    EXPECT_EQ(ReadFile(source + "\\a.jra"), "same file");
    EXPECT_EQ(ListFolder(source), std::vector<std::string>{"a.jra"});
}

// A link planted at the destination's name (the stamp folder's name is predictable) is refused,
// and nothing is written where it leads.
TEST_F(CopyTest, ReparsePointAtTheDestinationIsRefused) {
    WriteFile(source + "\\a.jra", "odds");
    const std::string link = dir / "stamp";
    // Wine answers success and makes nothing; Windows needs developer mode or the privilege.
    (void)::CreateSymbolicLinkW(FsPath(link).c_str(), FsPath(target).c_str(),
                                SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = ::GetFileAttributesW(FsPath(link).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        GTEST_SKIP() << "no symbolic link can be made here";
    }
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(source + "\\*.jra", link, true); }),
              link + ": リンク（リパースポイント）なので、その先には書き込みません");
    EXPECT_TRUE(fs::is_empty(FsPath(target)));
}

// Names that the usual Win32 path rules would change ("x.jra." and "y.jra " into "x.jra" and
// "y.jra", "CON.jra" into a device) stand beside the names they would become where the folder
// allows them (Linux folders under Wine, shares). Each is read and written as itself, also into a
// destination given in the "\\?\" form.
TEST_F(CopyTest, NamesTheWin32RulesWouldChangeAreCopiedAsThemselves) {
    const std::vector<std::string> names{"AUX.jra", "CON.jra", "x.jra", "x.jra.", "y.jra", "y.jra "};
    // Only the exact form reaches these names; the clean-up of the test folder would not.
    struct RemoveExactly {
        const std::vector<std::string>& names;
        std::vector<std::string> folders;
        ~RemoveExactly() {
            for (const std::string& folder : folders) {
                for (const std::string& name : names) ::DeleteFileW(FsPath("\\\\?\\" + folder + "\\" + name).c_str());
            }
        }
    } remove{names, {source, target}};
    for (const std::string& name : names) {
        const HANDLE file = ::CreateFileW(FsPath("\\\\?\\" + source + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) GTEST_SKIP() << "this folder does not hold the name \"" << name << '"';
        DWORD written = 0;
        ::WriteFile(file, name.data(), static_cast<DWORD>(name.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    if (ListFolder(source) != names) GTEST_SKIP() << "this folder takes some of the names for one";

    SystemFiles::CopyMatching(source + "\\*", "\\\\?\\" + target, true);

    ASSERT_EQ(ListFolder(target), names);
    for (const std::string& name : names) EXPECT_EQ(ReadFile("\\\\?\\" + target + "\\" + name), name);
}

// Copies in progress live in a work folder of the run, the only place the clean-up of killed runs
// looks: there a dead writer's temporary file is removed, read-only or not, and then the folder; a
// live writer's is kept, and so are names that are not this program's temporary files. A file
// directly in a stamp folder is a copy, whatever its name: a source file may be named like a
// temporary file.
TEST(Win32SystemFiles, LeftoverCopiesOfDeadWritersAreRemoved) {
    TempFolder dir;
    const std::string stamp = dir / "20261207_101500";
    const std::string work = stamp + "\\.quillmere-work-0123abcd";
    const std::string dead = stamp + "\\.quillmere-work-0000dead";
    const std::string running = stamp + "\\.quillmere-work-0000cafe";  // a live run's, between two copies
    for (const std::string& folder : {stamp, work, dead, running, stamp + "\\.quillmere-work-sub"}) {
        fs::create_directory(FsPath(folder));
    }
    for (const char* name : {".quillmere-0000dead.tmp", ".quillmere-0000beef.tmp", ".quillmere-notes.tmp"}) {
        WriteFile(work + "\\" + name, name);
    }
    WriteFile(stamp + "\\.quillmere-0123abcd.tmp", "a source file so named");
    WriteFile(dead + "\\.quillmere-0000f00d.tmp", "copy of a read-only source");
    SetAttributes(dead + "\\.quillmere-0000f00d.tmp", FILE_ATTRIBUTE_READONLY);
    const HANDLE live = ::CreateFileW(FsPath(work + "\\.quillmere-0000beef.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(live, INVALID_HANDLE_VALUE);
    const HANDLE runningFolder =
        ::CreateFileW(FsPath(running).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(runningFolder, INVALID_HANDLE_VALUE);
    SystemFiles::RemoveLeftoverCopies(dir / "????????_??????");
    ::CloseHandle(live);
    ::CloseHandle(runningFolder);
    EXPECT_EQ(ListFolder(stamp), (std::vector<std::string>{".quillmere-0123abcd.tmp", ".quillmere-work-0000cafe",
                                                           ".quillmere-work-0123abcd", ".quillmere-work-sub"}));
    EXPECT_EQ(ListFolder(work), (std::vector<std::string>{".quillmere-0000beef.tmp", ".quillmere-notes.tmp"}));
}

TEST(SystemSpecificSuites, PosixSuitesAreNotBuiltHere) {
    GTEST_SKIP() << "SystemFilesTest and SettingsFileTest need FIFOs, sockets, symbolic links, permission bits, "
                    "file-size limits and the INI settings file, which only POSIX systems have";
}

}  // namespace
}  // namespace quillmere::test
