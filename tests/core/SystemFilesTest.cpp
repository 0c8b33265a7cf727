// The system's file operations on real folders: folder creation, the clock, what the copy copies
// and passes over, what it leaves on disk when it fails, and the texts of its failures. What the
// search finds is in SystemFilesSearchTest.cpp, shared with Windows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/SystemClock.h"
#include "platform/SystemFiles.h"
#include "platform/posix/MountTable.h"
#include "tests/support/BoundSocket.h"
#include "tests/support/FailureOf.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;

timespec ModificationTime(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mtim;
}

TEST(SystemFiles, CreateFolderCreatesExactlyOne) {
    TempFolder dir;
    SystemFiles::CreateFolder(dir / "新しい フォルダ");
    EXPECT_TRUE(fs::is_directory(dir.Path() / "新しい フォルダ"));

    const std::string nested = dir / "missing/child";
    EXPECT_EQ(FailureOf([&] { SystemFiles::CreateFolder(nested); }), nested + ": No such file or directory");
    EXPECT_FALSE(fs::exists(dir.Path() / "missing"));

    // The system would see only the text before a NUL, and create "missing".
    const std::string cut = dir / std::string("missing\0/child", 14);
    EXPECT_EQ(FailureOf([&] { SystemFiles::CreateFolder(cut); }),
              dir / "missing\\0/child: パスに NUL 文字が含まれています");
    EXPECT_FALSE(fs::exists(dir.Path() / "missing"));
}

TEST(SystemFiles, CreatingAnExistingFolderFails) {
    TempFolder dir;
    const std::string folder = dir / "x";
    SystemFiles::CreateFolder(folder);
    EXPECT_EQ(FailureOf([&] { SystemFiles::CreateFolder(folder); }), folder + ": File exists");
}

// Every folder of one file system has one identity; what is no folder fails with its path.
TEST(SystemFiles, FolderIdentityIsTheSameForEveryFolderOfAFileSystem) {
    TempFolder dir;
    fs::create_directory(dir.Path() / "sub");
    WriteFile(dir / "file", "x");
    const std::string identity = SystemFiles::FolderIdentity(dir / "sub");
    EXPECT_FALSE(identity.empty());
    EXPECT_EQ(SystemFiles::FolderIdentity(dir / "."), identity);
    EXPECT_EQ(FailureOf([&] { SystemFiles::FolderIdentity(dir / "missing"); }),
              dir / "missing: No such file or directory");
    EXPECT_EQ(FailureOf([&] { SystemFiles::FolderIdentity(dir / "file"); }), dir / "file: Not a directory");
}

struct MountCase {
    const char* name;
    const char* table;
    unsigned int major, minor;
    const char* path;
    const char* holder;  // "SOURCE on MOUNT POINT", "" for none
};

class HoldingMount : public testing::TestWithParam<MountCase> {};

TEST_P(HoldingMount, IsTheDeepestMountOfTheFoldersDevice) {
    const MountCase& c = GetParam();
    const std::vector<posix::Mount> mounts = posix::ParseMountTable(c.table);
    const posix::Mount* mount = posix::HoldingMount(mounts, c.major, c.minor, c.path);
    EXPECT_EQ(mount ? mount->source + " on " + mount->mountPoint : "", c.holder);
}

INSTANTIATE_TEST_SUITE_P(
    SystemFiles, HoldingMount,
    testing::Values(MountCase{"EscapedSpacesAndOptionalFields",
                              "40 28 8:17 / /media/me/My\\040Stick rw shared:5 master:1 - vfat /dev/sdb1 rw\n", 8, 17,
                              "/media/me/My Stick/backup", "/dev/sdb1 on /media/me/My Stick"},
                    // The stick's mount point left behind when it is unplugged is a folder of the root.
                    MountCase{"DeviceDecidesOverALongerMountPoint",
                              "28 1 254:0 / / rw - ext4 /dev/vda rw\n"
                              "40 28 8:17 / /mnt/usb rw - ext4 /dev/sdb1 rw\n",
                              254, 0, "/mnt/usb", "/dev/vda on /"},
                    MountCase{"MountPointsContainWholeNames",
                              "28 1 254:0 / / rw - ext4 /dev/vda rw\n"
                              "40 28 8:17 / /mnt/usb rw - ext4 /dev/sdb1 rw\n",
                              0, 99, "/mnt/usb2", "/dev/vda on /"},
                    MountCase{"SubvolumeWithADeviceOfItsOwn",
                              "28 1 254:0 / / rw - ext4 /dev/vda rw\n"
                              "41 28 0:30 /@home /home rw - btrfs /dev/sda2 rw\n",
                              0, 55, "/home/me/sub", "/dev/sda2 on /home"},
                    MountCase{"DamagedLinesArePassedOver",
                              "garbage\n41 28 x:y / /home rw - btrfs /dev/sda2 rw\n28 1 254:0 / /\n", 254, 0, "/home",
                              ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SystemFiles, CurrentLocalTimeFollowsTheTimeZone) {
    const char* saved = std::getenv("TZ");
    const std::string previous = saved ? saved : "";
    ::setenv("TZ", "UTC0", 1);
    const LocalTime utc = SystemClock::CurrentLocalTime();
    ::setenv("TZ", "JST-9", 1);
    const LocalTime tokyo = SystemClock::CurrentLocalTime();
    saved ? ::setenv("TZ", previous.c_str(), 1) : ::unsetenv("TZ");

    // Nine hours apart on the clock face, unless a minute boundary fell between the two reads.
    if (utc.minute == tokyo.minute) {
        EXPECT_EQ((utc.hour + 9) % 24, tokyo.hour);
    }
    EXPECT_GE(utc.year, 2020);
    EXPECT_GE(tokyo.month, 1);
}

class CopyTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(source);
        fs::create_directory(target);
    }

    void Source(const std::string& name, const std::string& content, mode_t mode = 0644) {
        WriteFile(source + "/" + name, content);
        ASSERT_EQ(::chmod((source + "/" + name).c_str(), mode), 0);
    }

    TempFolder dir;
    const std::string source = dir / "元 フォルダ";
    const std::string target = dir / "コピー 先";
};

TEST_F(CopyTest, CopiesMatchingFilesWithTheirTimesAndModes) {
    Source("ZO01.JRA", "odds one", 0640);
    // Large enough for several kernel copy steps; writable by all, which a umask takes from a new file.
    Source("zo02.jra", std::string(3 << 20, 'x'), 0666);
    Source("note.txt", "not copied");
    const timespec old = {1'000'000'000, 123'456'789};
    const timespec times[2] = {old, old};
    ASSERT_EQ(::utimensat(AT_FDCWD, (source + "/ZO01.JRA").c_str(), times, 0), 0);

    SystemFiles::CopyMatching(source + "/*.jra", target, true);

    EXPECT_EQ(ListFolder(target), (std::vector<std::string>{"ZO01.JRA", "zo02.jra"}));
    EXPECT_EQ(ReadFile(target + "/ZO01.JRA"), "odds one");
    EXPECT_EQ(ReadFile(target + "/zo02.jra"), ReadFile(source + "/zo02.jra"));
    const timespec copied = ModificationTime(target + "/ZO01.JRA");
    EXPECT_EQ(copied.tv_sec, old.tv_sec);
    EXPECT_EQ(copied.tv_nsec, old.tv_nsec);
    EXPECT_EQ(fs::status(target + "/ZO01.JRA").permissions(), fs::perms(0640));
    EXPECT_EQ(fs::status(target + "/zo02.jra").permissions(), fs::perms(0666));
}

TEST_F(CopyTest, CopiesHiddenAndLinkedFilesAndPassesOverEverythingElse) {
    Source("a.jra", "a");
    Source(".hidden.jra", "hidden");
    Source("empty.jra", "");
    fs::create_directory(source + "/sub.jra");
    ASSERT_EQ(::mkfifo((source + "/fifo.jra").c_str(), 0644), 0);
    fs::create_symlink("a.jra", source + "/link.jra");
    fs::create_symlink("nowhere", source + "/dangling.jra");
    fs::create_symlink("loop.jra", source + "/loop.jra");
    const BoundSocket socket(source + "/socket.jra");
    ASSERT_TRUE(socket.Bound());

    // A FIFO opened for reading would wait for a writer forever; the suite's timeout catches it.
    SystemFiles::CopyMatching(source + "/*.jra", target, true);

    EXPECT_EQ(ListFolder(target), (std::vector<std::string>{".hidden.jra", "a.jra", "empty.jra", "link.jra"}));
    EXPECT_EQ(ReadFile(target + "/link.jra"), "a");
    EXPECT_FALSE(fs::is_symlink(target + "/link.jra"));
    EXPECT_EQ(ReadFile(target + "/empty.jra"), "");
}

TEST_F(CopyTest, ReplacesASameNamedFileWithoutAsking) {
    Source("a.jra", "new");
    WriteFile(target + "/a.jra", "old and longer");
    SystemFiles::CopyMatching(source + "/*.jra", target, true);
    EXPECT_EQ(ReadFile(target + "/a.jra"), "new");
}

TEST_F(CopyTest, ReplacesALinkInTheDestinationNotTheFileItPointsTo) {
    Source("a.jra", "new");
    WriteFile(dir / "elsewhere", "keep me");
    fs::create_symlink(dir / "elsewhere", target + "/a.jra");
    SystemFiles::CopyMatching(source + "/*.jra", target, true);
    EXPECT_EQ(ReadFile(dir / "elsewhere"), "keep me");
    EXPECT_FALSE(fs::is_symlink(target + "/a.jra"));
    EXPECT_EQ(ReadFile(target + "/a.jra"), "new");
}

TEST_F(CopyTest, WithoutOverwriteAnExistingFileIsKept) {
    Source("a.jra", "new");
    WriteFile(target + "/a.jra", "old");
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(source + "/*.jra", target, false); }),
              target + "/a.jra: File exists");
    EXPECT_EQ(ReadFile(target + "/a.jra"), "old");
    EXPECT_EQ(ListFolder(target), std::vector<std::string>{"a.jra"});
}

TEST_F(CopyTest, ExactNameCopiesThatFileOnly) {
    Source("a.jra", "a");
    Source("b.jra", "b");
    SystemFiles::CopyMatching(source + "/b.jra", target, true);
    EXPECT_EQ(ListFolder(target), std::vector<std::string>{"b.jra"});
}

TEST_F(CopyTest, StopsAtTheFirstFailureAndKeepsWhatWasCopied) {
    Source("a.jra", "a");
    Source("b.jra", "b");
    Source("c.jra", "c");
    fs::create_directory(target + "/b.jra");  // no file can replace a folder

    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(source + "/*.jra", target, true); }),
              target + "/b.jra: Is a directory");
    EXPECT_EQ(ListFolder(target), (std::vector<std::string>{"a.jra", "b.jra"}));
    EXPECT_EQ(ReadFile(target + "/a.jra"), "a");
    EXPECT_TRUE(fs::is_empty(target + "/b.jra"));
}

// A write that fails half-way (here at a file-size limit, as on a full disk) must leave the
// same-named old copy whole, no temporary file, and the copies made before it.
void ExpectFailedWriteLeavesNoTornFile(const std::string& source, const std::string& target) {
    WriteFile(source + "/a.jra", std::string(1024, 'a'));
    WriteFile(source + "/b.jra", std::string(1 << 20, 'b'));
    WriteFile(source + "/c.jra", "c");
    WriteFile(target + "/b.jra", "previous backup");

    std::string failure;
    {
        const FileSizeLimit limit(64 * 1024);
        failure = FailureOf([&] { SystemFiles::CopyMatching(source + "/*.jra", target, true); });
    }

    EXPECT_EQ(failure, target + "/b.jra: File too large");
    EXPECT_EQ(ListFolder(target), (std::vector<std::string>{"a.jra", "b.jra"}));
    EXPECT_EQ(ReadFile(target + "/a.jra"), std::string(1024, 'a'));
    EXPECT_EQ(ReadFile(target + "/b.jra"), "previous backup");
}

TEST_F(CopyTest, FailedKernelCopyLeavesNoTornFile) {
    ExpectFailedWriteLeavesNoTornFile(source, target);
}

TEST_F(CopyTest, FailedReadWriteCopyLeavesNoTornFile) {
    // From another file system the data goes through this process's own read/write loop.
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm on this machine";
    std::string folder = "/dev/shm/quillmere-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    ExpectFailedWriteLeavesNoTornFile(folder, target);
    fs::remove_all(folder);
}

// Copies wait in batches of open files, a batch bounded by the open-file limit, which the copy
// raises while it runs. A copy of many files takes several batches; a failure in a later one
// keeps the earlier batches and the files before it in its own, and leaves no temporary file.
TEST_F(CopyTest, CopiesInBatchesUnderALowOpenFileLimit) {
    std::vector<std::string> expected;
    for (int i = 0; i < 150; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.jra", i);
        Source(name, name);
        if (i < 120) expected.push_back(name);
    }
    fs::create_directory(target + "/f120.jra");  // no file can replace a folder
    expected.push_back("f120.jra");

    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &previous), 0);
    rlimit low = previous;
    low.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const std::string failure = FailureOf([&] { SystemFiles::CopyMatching(source + "/*.jra", target, true); });
    rlimit after{};
    ::getrlimit(RLIMIT_NOFILE, &after);
    ::setrlimit(RLIMIT_NOFILE, &previous);
    EXPECT_EQ(after.rlim_cur, 64U) << "the copy may raise the open-file limit only while it runs";

    EXPECT_EQ(failure, target + "/f120.jra: Is a directory");
    EXPECT_EQ(ListFolder(target), expected);
    EXPECT_EQ(ReadFile(target + "/f119.jra"), "f119.jra");
}

TEST_F(CopyTest, MatchingLinkThatCannotBeFollowedIsReportedNotSkipped) {
    Source("a.jra", "a");
    fs::create_symlink(std::string(300, 'x'), source + "/long.jra");
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(source + "/*.jra", target, true); }),
              source + "/long.jra: File name too long");
}

TEST_F(CopyTest, NothingMatchingFailsWithThePattern) {
    Source("a.txt", "a");
    fs::create_directory(source + "/only-a-folder.jra");
    const std::string pattern = source + "/*.jra";
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(pattern, target, true); }),
              pattern + ": No such file or directory");
    EXPECT_TRUE(fs::is_empty(target));
}

TEST_F(CopyTest, MissingDestinationFailsWithItsPath) {
    Source("a.jra", "a");
    const std::string missing = dir / "missing";
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(source + "/*.jra", missing, true); }),
              missing + ": No such file or directory");
    EXPECT_FALSE(fs::exists(missing));
    // Cut at its NUL, this destination would be the source folder's parent.
    const std::string cut = dir.Path().string() + std::string("\0/x", 3);
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(source + "/*.jra", cut, true); }),
              dir.Path().string() + "\\0/x: パスに NUL 文字が含まれています");
    EXPECT_FALSE(fs::exists(dir.Path() / "a.jra"));
}

TEST_F(CopyTest, DestinationThatIsAFileFails) {
    Source("a.jra", "a");
    const std::string file = dir / "file";
    WriteFile(file, "x");
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(source + "/*.jra", file, true); }), file + ": Not a directory");
}

TEST_F(CopyTest, MissingSourceFolderFailsWithItsPath) {
    const std::string missing = dir / "missing";
    EXPECT_EQ(FailureOf([&] { SystemFiles::CopyMatching(missing + "/*.jra", target, true); }),
              missing + ": No such file or directory");
}

TEST_F(CopyTest, HostileNamesAreCopiedByteForByte) {
    const std::vector<std::string> names = {"$(touch pwned).jra",
                                            "`touch pwned`.jra",
                                            "a;b.jra",
                                            "-rf.jra",
                                            "new\nline.jra",
                                            "space .jra",
                                            "日本語 ファイル.jra",
                                            "bad\xFFutf8.jra",
                                            std::string(251, 'n') + ".jra"};
    for (const std::string& name : names) Source(name, name);

    SystemFiles::CopyMatching(source + "/*.jra", target, true);

    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(target), expected);
    for (const std::string& name : names) EXPECT_EQ(ReadFile(target + "/" + name), name);
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists(source + "/pwned"));
}

TEST_F(CopyTest, CopyIntoTheSourceFolderItselfKeepsTheContent) {
    Source("a.jra", "same file");
    SystemFiles::CopyMatching(source + "/a.jra", source, true);
    EXPECT_EQ(ReadFile(source + "/a.jra"), "same file");
    EXPECT_EQ(ListFolder(source), std::vector<std::string>{"a.jra"});
}

TEST_F(CopyTest, CopiesAcrossFileSystems) {
    // The kernel's in-place copy does not cross file systems; the fallback must take over.
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm on this machine";
    struct stat shm {
    }, tmp{};
    ASSERT_EQ(::stat("/dev/shm", &shm), 0);
    ASSERT_EQ(::stat(target.c_str(), &tmp), 0);
    if (shm.st_dev == tmp.st_dev) GTEST_SKIP() << "/dev/shm is on the same file system as " << target;

    std::string folder = "/dev/shm/quillmere-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::string content(5 << 20, 'q');
    WriteFile(folder + "/big.jra", content);
    SystemFiles::CopyMatching(folder + "/*.jra", target, true);
    fs::remove_all(folder);
    EXPECT_EQ(ReadFile(target + "/big.jra"), content);
}

}  // namespace
}  // namespace quillmere::test
