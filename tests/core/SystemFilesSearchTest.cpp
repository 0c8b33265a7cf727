// What the system's search finds, on POSIX systems and on Windows alike: one folder, one table,
// and a second column where the systems answer differently on purpose (the file system's case,
// the system attribute). Entries that only POSIX systems have (FIFOs, symbolic links) add rows
// of their own there.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/SystemFiles.h"
#include "tests/support/FailureOf.h"
#include "tests/support/NativePath.h"
#include "tests/support/TempFolder.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Win32Error.h"
#else
#include <sys/stat.h>
#endif

namespace quillmere::test {
namespace {

using enum EntryAttributes;

namespace fs = std::filesystem;

// A folder holding every kind of entry a search must tell apart.
class SearchFolder : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.jra", "B.JRA", "c.txt", ".hidden.jra", "s.jra", "zo01", "wild.txt", "wind.jra"}) {
            WriteFile(dir / name, name);
        }
        MarkHidden(dir / ".hidden.jra");
        fs::create_directory(dir.Path() / "sub.jra");
        fs::create_directory(dir.Path() / "empty");
#ifdef _WIN32
        ASSERT_TRUE(::SetFileAttributesW(FsPath(dir / "s.jra").c_str(), FILE_ATTRIBUTE_SYSTEM));
#else
        ASSERT_EQ(::mkfifo((dir / "fifo.jra").c_str(), 0644), 0);
        fs::create_symlink("missing-target", dir.Path() / "dangling.jra");
        fs::create_symlink("loop.jra", dir.Path() / "loop.jra");
        fs::create_symlink("a.jra", dir.Path() / "link.txt");
        fs::create_symlink("loopdir", dir.Path() / "loopdir");
#endif
    }

    TempFolder dir;
};

struct SearchCase {
    std::string name;
    std::string pattern;  // relative to the search folder, "/" for the separator
    EntryAttributes attributes;
    std::string expected;
    const char* onWindows = nullptr;  // what Windows finds instead; nullptr: the same
};

const SearchCase kSearchCases[] = {
    {"FirstMatchInNameOrder", "*.jra", Normal, "B.JRA"},
    {"PatternCaseIsIgnored", "*.JRA", Normal, "B.JRA"},
    {"OtherExtension", "*.txt", Normal, "c.txt"},
    {"NothingMatches", "*.csv", Normal, ""},
    {"FolderIsNoFile", "sub*", Normal, ""},
    {"FolderIsFoundWithTheFolderAttribute", "sub*", Directory, "sub.jra"},
    {"HiddenFileIsNotListed", ".hid*", Normal, ""},
    {"HiddenFileIsNotListedWithFolders", ".hid*", Directory, ""},
    {"SystemFileIsNotListedWhereFilesHaveThatAttribute", "s.*", Directory, "s.jra", ""},
    {"NameWithoutExtensionMatchesDotStar", "zo01.*", Normal, "zo01"},
    {"ExactName", "a.jra", Normal, "a.jra"},
    {"ExactNameFollowsTheFileSystemsCase", "A.JRA", Normal, "", "A.JRA"},
    {"ExactFolderNeedsTheFolderAttribute", "sub.jra", Normal, ""},
    {"ExactFolder", "sub.jra", Directory, "sub.jra"},
    {"ExactHiddenFileOnlyWithTheFolderAttribute", ".hidden.jra", Normal, ""},
    {"ExactHiddenFileWithTheFolderAttribute", ".hidden.jra", Directory, ".hidden.jra"},
    {"TrailingSeparatorListsTheFolder", "", Directory, "B.JRA"},
    {"TrailingSeparatorOfAnEmptyFolderListsNothing", "empty/", Directory, ""},
    {"DotNamesTheFolderItself", "empty/.", Directory, "."},
    {"MissingFolder", "missing/*.jra", Normal, ""},
    {"MissingExactName", "missing", Directory, ""},
    {"FileUsedAsAFolder", "a.jra/x", Directory, ""},
    {"FileUsedAsAFolderWithWildcard", "a.jra/*", Directory, ""},
#ifndef _WIN32
    {"LinkToAFileCountsAsAFile", "link*", Normal, "link.txt"},
    {"LinkBeforeAFileIsFoundFirst", "*i*.txt", Normal, "link.txt"},
    {"DanglingLinkBeforeAFileIsPassedOver", "*n*.jra", Normal, "wind.jra"},
    {"FifoIsPassedOver", "fifo*", Normal, ""},
    {"DanglingLinkIsPassedOver", "dangling*", Normal, ""},
    {"LinkLoopIsPassedOver", "loop.*", Normal, ""},
#endif
};

class FindFirstEntryTest : public SearchFolder, public testing::WithParamInterface<SearchCase> {};

TEST_P(FindFirstEntryTest, Finds) {
    const SearchCase& c = GetParam();
#ifdef _WIN32
    const std::string expected = c.onWindows ? c.onWindows : c.expected;
#else
    const std::string& expected = c.expected;
#endif
    EXPECT_EQ(SystemFiles::FindFirstEntry(Native(dir / c.pattern), c.attributes), expected);
}

INSTANTIATE_TEST_SUITE_P(SystemFiles, FindFirstEntryTest, testing::ValuesIn(kSearchCases),
                         [](const testing::TestParamInfo<SearchCase>& info) { return info.param.name; });

TEST(SystemFiles, RootFolderIsFound) {
#ifdef _WIN32
    const std::string root = "C:\\";
#else
    const std::string root = "/";
#endif
    EXPECT_EQ(SystemFiles::FindFirstEntry(root + ".", Directory), ".");
    EXPECT_FALSE(SystemFiles::FindFirstEntry(root, Directory).empty());
}

#ifdef _WIN32

TEST_F(SearchFolder, ForwardSlashSeparatesToo) {
    EXPECT_EQ(SystemFiles::FindFirstEntry(dir / "*.txt", Normal), "c.txt");
    EXPECT_EQ(SystemFiles::FindFirstEntry(Utf8(dir.Path()) + "/", Directory), "B.JRA");
}

TEST_F(SearchFolder, MalformedPathFailsWithThePathAndReason) {
    const std::string pattern = dir / "bad|folder\\*.jra";
    EXPECT_EQ(FailureOf([&] { SystemFiles::FindFirstEntry(pattern, Normal); }),
              pattern + ": " + Win32Error::Reason(ERROR_INVALID_NAME));
}

#else

TEST_F(SearchFolder, SearchInALinkLoopFailsWithThePathAndReason) {
    const std::string folder = dir / "loopdir";
    EXPECT_EQ(FailureOf([&] { SystemFiles::FindFirstEntry(folder + "/*.jra", Normal); }),
              folder + ": Too many levels of symbolic links");
    EXPECT_EQ(FailureOf([&] { SystemFiles::FindFirstEntry(folder, Directory); }),
              folder + ": Too many levels of symbolic links");
}

TEST_F(SearchFolder, OverlongNameFailsInsteadOfFindingNothing) {
    const std::string pattern = dir / std::string(300, 'x');
    EXPECT_EQ(FailureOf([&] { SystemFiles::FindFirstEntry(pattern, Directory); }), pattern + ": File name too long");
    // The same for a matching link that cannot be followed.
    fs::create_symlink(std::string(300, 'x'), dir.Path() / "long.jra");
    EXPECT_EQ(FailureOf([&] { SystemFiles::FindFirstEntry(dir / "l*.jra", Normal); }),
              (dir / "long.jra") + ": File name too long");
}

#endif

}  // namespace
}  // namespace quillmere::test
