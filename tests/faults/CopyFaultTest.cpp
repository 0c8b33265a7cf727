// Backups under real faults: a destination that fills up or may not be written, a file-size
// limit, sources that cannot be read, are not files, change while they are copied or carry
// hostile names. Each case pins the messages the user sees and what is on disk afterwards: no
// file under its final name that differs from its source, no temporary file, nothing outside
// the stamp folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>
#include <utility>

#include "backup/BackupRun.h"
#include "backup/FileModule.h"
#include "backup/RunRecord.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/SettingsFile.h"
#include "tests/faults/ChildRun.h"
#include "tests/support/BoundSocket.h"
#include "tests/support/FakeWindow.h"
#include "tests/support/RealFilesPlatform.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr char kStamp[] = "20261207_101500";  // fault_child's clock
constexpr char kCopyTitle[] = "ファイルのコピー";
constexpr char kMakeFolderTitle[] = "フォルダの作成";

// The box of a copy that failed: its description, then how far the copy got.
std::string CopyFailure(const std::string& description, int copied) {
    return description + "\n" + std::to_string(copied) +
           " 個のファイルをコピーしました。残りのファイルはコピーしていません。";
}

std::string Describe(const std::vector<Prompt>& prompts) {
    std::string out;
    for (const Prompt& p : prompts) out += "\n  [" + p.title.value_or("-") + "] " + p.text;
    return out.empty() ? " none" : out;
}

// Every name in the copy folder is a copy of the same-named source file, byte for byte (no work
// folder of temporary files is left); the names are answered for the caller to compare.
std::vector<std::string> WholeCopies(const std::string& copies, const std::string& source) {
    std::vector<std::string> names;
    if (!fs::exists(copies)) return names;
    for (const std::string& name : ListFolder(copies)) {
        EXPECT_TRUE(fs::is_regular_file(source + "/" + name)) << "left in the stamp folder: " << name;
        EXPECT_EQ(ReadFile(copies + "/" + name), ReadFile(source + "/" + name)) << "torn copy: " << name;
        names.push_back(name);
    }
    return names;
}

class CopyFault : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(source);
        fs::create_directory(destination);
    }

    ChildResult Backup(const Mechanism& mechanism, const std::string& wildcard = "*.jra") {
        return RunChild(mechanism, {"backup", source, destination, wildcard, settings});
    }

    // 500 small files and one of 256 MB, which takes a FUSE volume a second or more to write.
    void WriteManyFilesAndOneLarge() {
        for (int i = 0; i < 500; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "/f%03d.jra", i);
            WriteFile(source + name, "small file " + std::to_string(i));
        }
        std::string chunk(1 << 20, 'z');
        const int fd = ::open((source + "/z.jra").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (int i = 0; i < 256; ++i) {
            chunk[0] = static_cast<char>(i);
            ASSERT_EQ(::write(fd, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
        }
        ::close(fd);
    }

    // A completed backup of the files matching wildcard, renamed to an earlier stamp, and sharing
    // of unchanged files turned on or off for the runs after it; answers the earlier folder.
    std::string EarlierBackup(bool share, const std::string& wildcard = "*.jra") {
        const ChildResult first = Backup({}, wildcard);
        EXPECT_TRUE(first.prompts.empty()) << Describe(first.prompts);
        const std::string earlier = destination + "/20261207_101400";
        fs::rename(stamp, earlier);
        SettingsFile(settings).Write("LastExec", "ShareUnchanged", share ? "1" : "0");
        return earlier;
    }

    // Runs a backup after an earlier one with sharing as given, one file changed in between
    // (same size, another time), and checks which copies are the earlier copies' files.
    void CheckSharing(bool share, bool linksExpected) {
        WriteFile(source + "/a.jra", "unchanged");
        WriteFile(source + "/b.jra", "changed 1");
        const std::string earlier = EarlierBackup(share);
        WriteFile(source + "/b.jra", "changed 2");
        const timespec later[2] = {{0, UTIME_OMIT}, {1'600'000'000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (source + "/b.jra").c_str(), later, 0), 0);

        const ChildResult run = Backup({});
        EXPECT_TRUE(run.prompts.empty()) << Describe(run.prompts);
        EXPECT_EQ(WholeCopies(stamp, source), (std::vector<std::string>{"a.jra", "b.jra"}));
        EXPECT_EQ(ReadFile(earlier + "/b.jra"), "changed 1");
        struct stat before {
        }, now{};
        ASSERT_EQ(::stat((earlier + "/a.jra").c_str(), &before), 0);
        ASSERT_EQ(::stat((stamp + "/a.jra").c_str(), &now), 0);
        EXPECT_EQ(before.st_ino == now.st_ino, linksExpected);
        EXPECT_EQ(now.st_mtim.tv_sec, before.st_mtim.tv_sec);
        ASSERT_EQ(::stat((stamp + "/b.jra").c_str(), &now), 0);
        EXPECT_EQ(now.st_nlink, 1U);
        EXPECT_EQ(now.st_mtim.tv_sec, later[1].tv_sec);  // a copy keeps the source's time, on exFAT too

        // --list tells the shared file ("unchanged", 9 bytes) from the folder's own.
        FILE* list = ::popen(("'" QUILLMERE_BACKUP_PROGRAM "' --list '" + destination + "'").c_str(), "r");
        ASSERT_NE(list, nullptr);
        std::string listed;
        for (char line[512]; std::fgets(line, sizeof line, list);) listed += line;
        ::pclose(list);
        EXPECT_NE(listed.find(std::string(kStamp) + "  完了  2 ファイル  18 バイト  " +
                              (linksExpected ? "(固有 9 バイト  共有 9 バイト)" : "(固有 18 バイト  共有 0 バイト)")),
                  std::string::npos)
            << listed;
    }

    std::string Stored(const std::string& key) const {
        return SettingsFile(settings).Read("LastExec", key, "<absent>");
    }

    TempFolder dir;
    const std::string source = dir / "source";
    const std::string destination = dir / "destination";
    const std::string stamp = destination + "/" + kStamp;
    const std::string settings = dir / "config/Quillmere.conf";
};

// A copy that runs out of room half-way: the files before it stay whole, the failing one leaves
// nothing behind, the ones after it are not tried, and the inputs are still stored.
struct OutOfRoomCase {
    const char* name;
    bool onTmpfs;  // a full 1 MB tmpfs, otherwise a 1 MB file-size limit
    const char* reason;
};

class OutOfRoom : public CopyFault, public testing::WithParamInterface<OutOfRoomCase> {};

TEST_P(OutOfRoom, StopsAtTheFileThatDoesNotFitAndLeavesNoTornCopy) {
    WriteFile(source + "/a.jra", std::string(300'000, 'a'));
    WriteFile(source + "/b.jra", std::string(3'000'000, 'b'));
    WriteFile(source + "/c.jra", std::string(1000, 'c'));
    // A same-named copy of the failing file from an earlier run must survive whole.
    fs::create_directory(stamp);
    WriteFile(stamp + "/b.jra", "earlier copy");

    const std::string snapshot = dir / "snapshot";
    fs::create_directory(snapshot);
    const Mechanism mechanism =
        GetParam().onTmpfs ? Mechanism{"tmpfs", destination, "1m", snapshot} : Mechanism{"filesize", "1024"};
    const std::string copies = (GetParam().onTmpfs ? snapshot : destination) + "/" + kStamp;
    if (GetParam().onTmpfs) fs::remove_all(stamp);

    const ChildResult run = Backup(mechanism);
    if (run.skipReason) GTEST_SKIP() << *run.skipReason;

    ASSERT_EQ(run.exitCode, 0) << run.errorOutput;
    const std::vector<Prompt>& prompts = run.prompts;
    // On the tmpfs the stamp folder is new; under the limit it exists from the earlier run.
    ASSERT_EQ(prompts.size(), GetParam().onTmpfs ? 1U : 2U) << Describe(prompts);
    EXPECT_EQ(prompts.back().title, kCopyTitle);
    EXPECT_EQ(prompts.back().style, PromptStyle::OkExclamation);
    EXPECT_EQ(prompts.back().text, CopyFailure(stamp + "/b.jra: " + GetParam().reason, 1));
    if (GetParam().onTmpfs) {
        EXPECT_EQ(WholeCopies(copies, source), std::vector<std::string>{"a.jra"});
    } else {
        EXPECT_EQ(ListFolder(copies), (std::vector<std::string>{"a.jra", "b.jra"}));
        EXPECT_EQ(ReadFile(copies + "/a.jra"), ReadFile(source + "/a.jra"));
        EXPECT_EQ(ReadFile(copies + "/b.jra"), "earlier copy");
    }
    EXPECT_EQ(Stored("SrcFolder"), source);
}

INSTANTIATE_TEST_SUITE_P(CopyFault, OutOfRoom,
                         testing::Values(OutOfRoomCase{"DiskFull", true, "No space left on device"},
                                         OutOfRoomCase{"FileSizeLimit", false, "File too large"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A batch made durable in the background fails at a4.jra while the next batch is copied. The
// failure surfaces when c.jra, a large file, waits for every copy before it: the run reports
// a4.jra, and no file after it takes its name, neither of the failing batch nor of the next.
struct BatchFailureCase {
    const char* name;
    bool folderAtName;  // a folder stands at a4.jra; otherwise a4.jra's link fails with EIO
    const char* reason;
};

class BackgroundBatchFailure : public CopyFault, public testing::WithParamInterface<BatchFailureCase> {};

TEST_P(BackgroundBatchFailure, NamesNoFileAfterTheFailingOne) {
    // 64 files, a0 to b053, make the first batch; b054 to b099 wait in the next.
    for (int i = 0; i < 10; ++i) {
        WriteFile(source + "/a" + std::to_string(i) + ".jra", std::string(15 << 20, static_cast<char>('A' + i)));
    }
    for (int i = 0; i < 100; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "/b%03d.jra", i);
        WriteFile(source + name, std::string(1000, 'b') + name);
    }
    WriteFile(source + "/c.jra", std::string(17 << 20, 'c'));
    if (GetParam().folderAtName) fs::create_directories(stamp + "/a4.jra");
    // Each thread that names a batch links a0 to a3 first; the fifth link is a4.jra's.
    const Mechanism mechanism = GetParam().folderAtName ? Mechanism{} : Mechanism{"inject", "linkat", "EIO", "5"};

    const ChildResult run =
        RunChild(mechanism, {"backup", source, destination, "*.jra", settings}, std::chrono::seconds(60));
    if (run.skipReason) GTEST_SKIP() << *run.skipReason;

    ASSERT_EQ(run.exitCode, 0) << run.errorOutput;
    ASSERT_FALSE(run.prompts.empty());
    EXPECT_EQ(run.prompts.back().title, kCopyTitle);
    EXPECT_EQ(run.prompts.back().text, CopyFailure(stamp + "/a4.jra: " + GetParam().reason, 4))
        << Describe(run.prompts);
    if (GetParam().folderAtName) fs::remove(stamp + "/a4.jra");
    EXPECT_EQ(WholeCopies(stamp, source), (std::vector<std::string>{"a0.jra", "a1.jra", "a2.jra", "a3.jra"}));
}

INSTANTIATE_TEST_SUITE_P(CopyFault, BackgroundBatchFailure,
                         testing::Values(BatchFailureCase{"FolderAtTheName", true, "Is a directory"},
                                         BatchFailureCase{"LinkFailsWithEio", false, "Input/output error"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A destination that may not be written: the stamp folder cannot be made, the copy then has no
// folder to go to, both say so with the path and the reason, and the inputs are still stored.
struct ForbiddenCase {
    const char* name;
    // "readonly": read-only bind mount; "nocaps": mode 0555 without root's override; "link": a
    // link planted at the stamp name, into a folder of the user's
    const char* mechanism;
    const char* reason;
    const char* copyReason;
};

class ForbiddenDestination : public CopyFault, public testing::WithParamInterface<ForbiddenCase> {};

TEST_P(ForbiddenDestination, ReportsTheStampFolderThenTheCopyAndCreatesNothing) {
    WriteFile(source + "/a.jra", "odds");
    const std::string mechanism = GetParam().mechanism;
    const std::string victim = dir / "victim";
    if (mechanism == "nocaps") {
        ASSERT_EQ(::chmod(destination.c_str(), 0555), 0);
    }
    if (mechanism == "link") {
        fs::create_directory(victim);
        WriteFile(victim + "/a.jra", "the user's own file");
        fs::create_symlink("../victim", stamp);
    }

    const ChildResult run = Backup(mechanism == "readonly" ? Mechanism{"readonly", destination}
                                   : mechanism == "nocaps" ? Mechanism{"nocaps"}
                                                           : Mechanism{});
    if (run.skipReason) GTEST_SKIP() << *run.skipReason;

    ASSERT_EQ(run.exitCode, 0) << run.errorOutput;
    ASSERT_EQ(run.prompts.size(), 2U) << Describe(run.prompts);
    EXPECT_EQ(run.prompts[0].title, kMakeFolderTitle);
    EXPECT_EQ(run.prompts[0].text, stamp + ": " + GetParam().reason);
    EXPECT_EQ(run.prompts[1].title, kCopyTitle);
    EXPECT_EQ(run.prompts[1].text, CopyFailure(stamp + ": " + GetParam().copyReason, 0));
    if (mechanism == "link") {
        EXPECT_EQ(ListFolder(victim), std::vector<std::string>{"a.jra"});
        EXPECT_EQ(ReadFile(victim + "/a.jra"), "the user's own file");
    } else {
        EXPECT_TRUE(ListFolder(destination).empty());
    }
    EXPECT_EQ(Stored("DstFolder"), destination);
}

constexpr char kNoFolder[] = "No such file or directory";
INSTANTIATE_TEST_SUITE_P(CopyFault, ForbiddenDestination,
                         testing::Values(ForbiddenCase{"ReadOnlyMount", "readonly", "Read-only file system", kNoFolder},
                                         ForbiddenCase{"PermissionDenied", "nocaps", "Permission denied", kNoFolder},
                                         ForbiddenCase{"LinkAtStampName", "link", "File exists",
                                                       "シンボリックリンクなので、その先には書き込みません"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyFault, StampFolderThatMayNotBeWrittenReportsTheFirstFileAndCreatesNothing) {
    WriteFile(source + "/a.jra", "odds");
    fs::create_directory(stamp);
    ASSERT_EQ(::chmod(stamp.c_str(), 0555), 0);

    const ChildResult run = Backup({"nocaps"});
    if (run.skipReason) GTEST_SKIP() << *run.skipReason;

    ASSERT_EQ(run.prompts.size(), 2U) << Describe(run.prompts);
    EXPECT_EQ(run.prompts[0].text, stamp + ": File exists");
    EXPECT_EQ(run.prompts[1].title, kCopyTitle);
    EXPECT_EQ(run.prompts[1].text, CopyFailure(stamp + "/a.jra: Permission denied", 0));
    EXPECT_TRUE(ListFolder(stamp).empty());
}

// A destination that may be entered and written but not listed (mode 0333, a drop box) is the
// same folder typed with or without trailing separators: used, not refused.
class DropBoxDestination : public CopyFault, public testing::WithParamInterface<std::string> {};

TEST_P(DropBoxDestination, IsUsedHoweverItIsTyped) {
    WriteFile(source + "/a.jra", "odds");
    ASSERT_EQ(::chmod(destination.c_str(), 0333), 0);

    const ChildResult run = RunChild({"nocaps"}, {"backup", source, destination + GetParam(), "*.jra", settings});
    if (run.skipReason) GTEST_SKIP() << *run.skipReason;

    ASSERT_EQ(run.exitCode, 0) << run.errorOutput;
    EXPECT_TRUE(run.prompts.empty()) << Describe(run.prompts);
    EXPECT_EQ(ReadFile(stamp + "/a.jra"), "odds");
    EXPECT_EQ(Stored("DstFolder"), destination + GetParam());
}

INSTANTIATE_TEST_SUITE_P(CopyFault, DropBoxDestination, testing::Values("", "/", "//"),
                         [](const auto& info) { return "Separators" + std::to_string(info.param.size()); });

// b.jra may not be read: a file without read permission, or a link into a folder that may not
// be searched, which fails as soon as it is looked at. Either way a.jra ends up whole.
class UnreadableSource : public CopyFault, public testing::WithParamInterface<bool> {};

TEST_P(UnreadableSource, IsNamedAndTheFilesBeforeItStayWhole) {
    const bool linkIntoClosedFolder = GetParam();
    const std::string closed = dir / "closed";
    WriteFile(source + "/a.jra", "first");
    WriteFile(source + "/c.jra", "after");
    if (linkIntoClosedFolder) {
        fs::create_directory(closed);
        WriteFile(closed + "/b.jra", "locked");
        fs::create_symlink(closed + "/b.jra", source + "/b.jra");
        ASSERT_EQ(::chmod(closed.c_str(), 0), 0);
    } else {
        WriteFile(source + "/b.jra", "locked");
        ASSERT_EQ(::chmod((source + "/b.jra").c_str(), 0), 0);
    }

    const ChildResult run = Backup({"nocaps"});
    if (run.skipReason) GTEST_SKIP() << *run.skipReason;

    ASSERT_EQ(run.prompts.size(), 1U) << Describe(run.prompts);
    EXPECT_EQ(run.prompts[0].title, kCopyTitle);
    EXPECT_EQ(run.prompts[0].text, CopyFailure(source + "/b.jra: Permission denied", 1));
    ASSERT_EQ(::chmod((linkIntoClosedFolder ? closed : source + "/b.jra").c_str(), 0700), 0);
    EXPECT_EQ(WholeCopies(stamp, source), std::vector<std::string>{"a.jra"});
}

INSTANTIATE_TEST_SUITE_P(CopyFault, UnreadableSource, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "LinkIntoClosedFolder" : "UnreadableFile"; });

// Another writer puts a file at a.jra in the stamp folder while a.jra's copy waits for its batch
// (on a file system that tells upper from lower case). A whole copy of the same file (same size,
// time and bytes, as a second run in the same second leaves) counts as copied; any other file is
// kept, and the failure says that the name was taken during the backup, naming both files.
struct TakenNameCase {
    const char* name;
    bool sameCopy;
};

class NameTakenDuringTheRun : public CopyFault,
                              public testing::WithParamInterface<TakenNameCase>,
                              public CopyWatcher,
                              public CopyMonitor {
protected:
    void WatchCopy(const std::string&, const std::function<void(CopyMonitor&)>& copy) override { copy(*this); }
    void Report(const CopyProgress& progress) override {
        if (progress.currentFile != "b.jra" || fs::exists(stamp + "/a.jra")) return;
        if (GetParam().sameCopy) {
            fs::copy_file(source + "/a.jra", stamp + "/a.jra");
            fs::last_write_time(stamp + "/a.jra", fs::last_write_time(source + "/a.jra"));
        } else {
            WriteFile(stamp + "/a.jra", "another writer's file");
        }
    }
    bool StopRequested() override { return false; }
};

TEST_P(NameTakenDuringTheRun, CountsAWholeCopyOfTheSameFileAndKeepsAnyOther) {
    WriteFile(source + "/a.jra", "odds a");
    WriteFile(source + "/b.jra", "odds b");
    fs::create_directory(stamp);
    std::vector<std::string> log;
    RealFilesPlatform ops(log, settings);

    FileModule::CopyMatching(ops, source, stamp, "*.jra", *this);

    if (GetParam().sameCopy) {
        EXPECT_TRUE(ops.prompts.shown.empty()) << Describe(ops.prompts.shown);
        EXPECT_EQ(WholeCopies(stamp, source), (std::vector<std::string>{"a.jra", "b.jra"}));
    } else {
        ASSERT_EQ(ops.prompts.shown.size(), 1U) << Describe(ops.prompts.shown);
        EXPECT_EQ(
            ops.prompts.shown[0].text,
            CopyFailure(
                source + "/a.jra: コピー先では " + stamp +
                    "/a.jra の名前が、バックアップの間にほかのファイルに使われました。そのファイルを上書きしないよう、"
                    "コピーしませんでした",
                0));
        EXPECT_EQ(ListFolder(stamp), std::vector<std::string>{"a.jra"});
        EXPECT_EQ(ReadFile(stamp + "/a.jra"), "another writer's file");
    }
}

INSTANTIATE_TEST_SUITE_P(CopyFault, NameTakenDuringTheRun,
                         testing::Values(TakenNameCase{"ByAWholeCopyOfTheSameFile", true},
                                         TakenNameCase{"ByAnotherFile", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Two runs started in the same second copy into one stamp folder at once, each meeting names the
// other took: neither reports a failure, and every file stands whole.
TEST_F(CopyFault, TwoRunsInTheSameSecondBothCopyEveryFileWhole) {
    for (int i = 0; i < 1000; ++i) WriteFile(source + "/f" + std::to_string(10000 + i) + ".jra", std::to_string(i));
    ChildResult first;
    std::thread other([&] { first = Backup({}); });
    const ChildResult second = Backup({});
    other.join();

    for (const ChildResult* run : {&std::as_const(first), &second}) {
        ASSERT_EQ(run->exitCode, 0) << run->errorOutput;
        // Only one of them makes the stamp folder; the other says it was there.
        for (const Prompt& prompt : run->prompts) EXPECT_NE(prompt.title, kCopyTitle) << prompt.text;
    }
    EXPECT_EQ(WholeCopies(stamp, source).size(), 1000U);
}

// Entries that match the wildcard but are not files are passed over, the files around them are
// copied, and nothing waits on the FIFO (the child is killed, and the case fails, after 20 s).
TEST_F(CopyFault, EntriesThatAreNotFilesArePassedOverWithoutHanging) {
    WriteFile(source + "/a.jra", "first");
    WriteFile(source + "/z.jra", "last");
    ASSERT_EQ(::mkfifo((source + "/fifo.jra").c_str(), 0644), 0);
    fs::create_symlink(dir / "nowhere", source + "/dangling.jra");
    fs::create_symlink("loop.jra", source + "/loop.jra");
    fs::create_directory(source + "/folder.jra");
    WriteFile(source + "/folder.jra/inner.jra", "not copied");
    const BoundSocket socket(source + "/socket.jra");
    ASSERT_TRUE(socket.Bound());

    const ChildResult run = RunChild({}, {"backup", source, destination, "*.jra", settings}, std::chrono::seconds(20));

    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.prompts.empty()) << Describe(run.prompts);
    EXPECT_EQ(WholeCopies(stamp, source), (std::vector<std::string>{"a.jra", "z.jra"}));
}

// Hostile names go to the system as they are, never through a shell: each file is copied under
// its own name byte for byte, nothing runs, and nothing is created outside the stamp folder.
TEST_F(CopyFault, HostileNamesInFoldersAndFilesAreCopiedExactlyAndNothingRuns) {
    const std::string hostileSource = dir / "src $(touch x);`touch x` -rf";
    const std::string hostileDestination = dir / "-dst ; 日本語\nフォルダ";
    fs::create_directory(hostileSource);
    fs::create_directory(hostileDestination);
    const std::vector<std::string> names = {"with space.jra", "オッズ 単複.jra",     "a;b.jra",
                                            "$(touch x).jra", "`touch x`.jra",       "new\nline.jra",
                                            "-rf .jra",       "bad\xFF\xFEutf8.jra", std::string(251, 'n') + ".jra",
                                            "'quote\".jra",   "back\\slash*?.jra"};
    for (const std::string& name : names) WriteFile(hostileSource + "/" + name, "content of " + name);
    std::set<fs::path> before;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) before.insert(entry.path());

    std::vector<std::string> log;
    RealFilesPlatform ops(log, settings);
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};
    FakeWindow window(log);
    window.inputs = {hostileSource, hostileDestination, "*.jra"};
    BackupRun(ops, window).Run();

    EXPECT_TRUE(ops.prompts.shown.empty()) << Describe(ops.prompts.shown);
    const std::string copies = hostileDestination + "/" + kStamp;
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(WholeCopies(copies, hostileSource), expected);
    // Everything new is the stamp folder, its copies, or the settings file and its folder.
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
        if (before.contains(entry.path())) continue;
        const std::string path = entry.path().string();
        EXPECT_TRUE(path == copies || path.starts_with(copies + "/") || path.starts_with(dir / "config"))
            << "created outside the stamp folder: " << path;
    }
    EXPECT_FALSE(fs::exists("x"));
    EXPECT_EQ(SettingsFile(settings).Read("LastExec", "DstFolder", ""), hostileDestination);
}

// A source file that changes while it is copied: the copy that is reported as done holds the
// file as it stood at one moment; otherwise the copy is reported as failed and leaves no file
// under its name. Every block of a version holds that version's letter, so a mix shows. A file
// that changes for a moment only (settles) is tried again and copied, never reported.
enum class Change { RewrittenInPlace, Grows, ReplacedByRename };

struct ChangeCase {
    const char* name;
    Change change;
    bool settles = false;  // the writer works only for the first 150 ms of each copy
};

class ChangingSource : public CopyFault, public testing::WithParamInterface<ChangeCase> {};

constexpr std::size_t kBlock = 4096;
constexpr std::size_t kBlocks = 2048;  // 8 MB: long enough to copy that the writer always meets it

std::string Version(unsigned number, std::size_t blocks = kBlocks) {
    std::string block(kBlock, static_cast<char>('A' + number % 26));
    std::string out;
    out.reserve(blocks * kBlock);
    for (std::size_t i = 0; i < blocks; ++i) out += block;
    return out;
}

// The file as it stood at one moment while the writer was rewriting it front to back: the
// blocks it had reached hold version v, the rest still v - 1.
bool IsOneMoment(const std::string& content) {
    if (content.size() != kBlocks * kBlock) return false;
    const char newer = content.front();
    const char older = static_cast<char>('A' + (newer - 'A' + 25) % 26);
    std::size_t at = 0;
    while (at < content.size() && content[at] == newer) ++at;
    if (at % kBlock != 0) return false;
    return content.find_first_not_of(older, at) == std::string::npos;
}

TEST_P(ChangingSource, CopyIsOneWholeVersionOrAReportedFailure) {
    const std::string file = source + "/big.jra";
    WriteFile(file, Version(0));
    WriteFile(source + "/.v1", Version(1));
    WriteFile(source + "/.v2", Version(2));
    std::atomic<bool> stop{false};
    std::atomic<unsigned> changes{0};
    using Clock = std::chrono::steady_clock;
    std::atomic<Clock::time_point> burstEnd{Clock::time_point::max()};
    std::thread writer([&] {
        for (unsigned v = 1; !stop; ++v) {
            if (Clock::now() >= burstEnd.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            switch (GetParam().change) {
                case Change::RewrittenInPlace: {
                    // Block by block, so a reader meets the old and the new version side by side.
                    const std::string block = Version(v, 1);
                    const int fd = ::open(file.c_str(), O_WRONLY);
                    for (std::size_t i = 0; i < kBlocks && !stop; ++i, ++changes) {
                        (void)::pwrite(fd, block.data(), kBlock, static_cast<off_t>(i * kBlock));
                    }
                    ::close(fd);
                    break;
                }
                case Change::Grows: {
                    // Each appended block holds its own letter, so a copy that is not the file as
                    // it stood at one moment shows as a wrong letter or a length between blocks.
                    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND);
                    (void)::write(fd, Version(v, 1).data(), kBlock);
                    ::close(fd);
                    ++changes;
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                    break;
                }
                case Change::ReplacedByRename:
                    // For a moment only: two versions written beforehand take turns under the
                    // name, so a rename lands within every copy made during the moment.
                    if (GetParam().settles) {
                        // (A rename between two links of one file would do nothing and keep both.)
                        fs::remove(source + "/.next");
                        fs::create_hard_link(source + (changes % 2 ? "/.v1" : "/.v2"), source + "/.next");
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                    } else {
                        WriteFile(source + "/.next", Version(v));
                    }
                    fs::rename(source + "/.next", file);
                    ++changes;
                    break;
            }
        }
    });

    std::vector<std::string> log;
    RealFilesPlatform ops(log, settings);
    int failures = 0;
    int changedRounds = 0;
    std::vector<std::string> reportedCopies;
    // On a busy machine the writer may not get a turn during a copy, or only just before the copy
    // looked at the file; such a round proves less. So the rounds go on until a few of them met a
    // change and, where the change must be seen, one copy was refused for it.
    const bool settles = GetParam().settles;
    const bool mustBeSeen = GetParam().change != Change::ReplacedByRename && !settles;
    for (int round = 0; round < 300 && (changedRounds < 4 || (mustBeSeen && failures == 0)); ++round) {
        const std::string target = dir / ("copy" + std::to_string(round));
        fs::create_directory(target);
        const unsigned changesBefore = changes;
        ops.prompts.shown.clear();
        if (settles) burstEnd = Clock::now() + std::chrono::milliseconds(150);
        CopyWatcher watcher;
        FileModule::CopyMatching(ops, source, target, "*.jra", watcher);
        if (changes != changesBefore) ++changedRounds;

        const std::vector<std::string> names = ListFolder(target);
        if (ops.prompts.shown.empty()) {
            ASSERT_EQ(names, std::vector<std::string>{"big.jra"});
            reportedCopies.push_back(ReadFile(target + "/big.jra"));
        } else {
            ++failures;
            EXPECT_FALSE(settles) << "a file that changed for a moment only was reported";
            ASSERT_EQ(ops.prompts.shown.size(), 1U);
            EXPECT_EQ(ops.prompts.shown[0].title, kCopyTitle);
            EXPECT_EQ(ops.prompts.shown[0].text, CopyFailure(file + ": コピー中にファイルが変更されました", 0));
            EXPECT_TRUE(names.empty()) << "a failed copy left " << names.front();
        }
    }
    stop = true;
    writer.join();

    const std::string grown = ReadFile(file);
    for (const std::string& copy : reportedCopies) {
        if (GetParam().change == Change::Grows) {
            EXPECT_TRUE(copy.size() % kBlock == 0 && grown.starts_with(copy))
                << "a copy of " << copy.size() << " bytes that the file never was was reported as done";
        } else {
            EXPECT_TRUE(IsOneMoment(copy)) << "a mix of versions was reported as copied";
        }
    }
    // A file replaced by a rename never changes under its open reader, but the rename changes
    // its status (ctime), so such a copy may be refused; one that is kept is a whole version.
    EXPECT_GT(changedRounds, 0) << "the file never changed during a copy";
    if (mustBeSeen && changedRounds > 0) {
        EXPECT_GT(failures, 0) << "no copy saw the change";
    }
}

INSTANTIATE_TEST_SUITE_P(CopyFault, ChangingSource,
                         testing::Values(ChangeCase{"RewrittenInPlace", Change::RewrittenInPlace},
                                         ChangeCase{"Grows", Change::Grows},
                                         ChangeCase{"ReplacedByRename", Change::ReplacedByRename},
                                         ChangeCase{"RewrittenForAMoment", Change::RewrittenInPlace, true},
                                         ChangeCase{"ReplacedByRenameForAMoment", Change::ReplacedByRename, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The destination is a real exFAT volume, as on most USB sticks: it does not tell upper from
// lower case, and it is written through FUSE, slowly enough that a signal meets a copy half-way.
class ExFatDestination : public CopyFault {
protected:
    void SetUp() override {
        CopyFault::SetUp();
        const auto [status, output] = RunHelper("exfat-mount '" + (dir / "exfat.img") + "' '" + destination + "'");
        if (status == 77) GTEST_SKIP() << output;
        ASSERT_EQ(status, 0) << output;
        m_loop = output.substr(0, output.find('\n'));
    }
    void TearDown() override {
        if (m_loop.empty()) return;
        EXPECT_EQ(RunHelper("exfat-unmount '" + destination + "' '" + m_loop + "'").first, 0);
    }

    // Waits until the large file's copy is under way: a temporary file of more than 8 MB in the
    // work folder of the stamp folder (by default the one fault_child's fixed clock names).
    bool LargeCopyUnderWay(const std::string& folder = {}) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code error;
            for (const auto& entry : fs::recursive_directory_iterator(folder.empty() ? stamp : folder, error)) {
                std::error_code sizeError;
                if (entry.path().filename().string().starts_with(".quillmere-") &&
                    entry.file_size(sizeError) > (8U << 20) && !sizeError) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

private:
    std::string m_loop;
};

// A source on exFAT, whose times move by whole seconds only: a file rewritten in place from
// front to back within the second of its copy must give a copy of one version or a reported
// failure, never the new version's front over the old one's back. The rewrite starts just after
// a second's tick, late enough that a file changed 0.1 s ago no longer counts as changing on a
// file system with fine times, so that it and a copy that overtakes it fall within one second.
TEST_F(ExFatDestination, SourceRewrittenWithinItsTimeGrainIsNeverCopiedAsAMix) {
    const std::string onStick = destination + "/source";
    fs::create_directory(onStick);
    const std::string file = onStick + "/big.jra";
    constexpr std::size_t kSize = std::size_t{48} << 20, kChunk = std::size_t{1} << 20;
    const std::string older(kSize, 'A'), newer(kSize, 'B');
    std::vector<std::string> log;
    RealFilesPlatform ops(log, settings);
    for (int round = 0; round < 2; ++round) {
        WriteFile(file, older);
        const auto now = std::chrono::system_clock::now();
        std::this_thread::sleep_until(std::chrono::ceil<std::chrono::seconds>(now) + std::chrono::milliseconds(150));
        std::thread writer([&] {
            const FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
            // A program that writes as it computes: slower than a copy, which overtakes it.
            for (std::size_t at = 0; at < kSize; at += kChunk) {
                (void)::pwrite(fd.Get(), newer.data(), kChunk, static_cast<off_t>(at));
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const std::string target = dir / ("copy" + std::to_string(round));
        fs::create_directory(target);
        ops.prompts.shown.clear();
        CopyWatcher watcher;
        FileModule::CopyMatching(ops, onStick, target, "*.jra", watcher);
        writer.join();

        if (ops.prompts.shown.empty()) {
            const std::string copy = ReadFile(target + "/big.jra");
            EXPECT_TRUE(copy == older || copy == newer)
                << "round " << round << ": a copy of " << copy.find('A') << " bytes of B, then A, reported as done";
        } else {
            ASSERT_EQ(ops.prompts.shown.size(), 1U) << Describe(ops.prompts.shown);
            EXPECT_EQ(ops.prompts.shown[0].text, file + ": コピー中にファイルが変更されました");
            EXPECT_TRUE(ListFolder(target).empty());
        }
    }
}

// Names that differ only in case: the second is refused and named with the copy it would have
// replaced, in a new stamp folder and in one that holds an earlier run's copy (same second),
// which this run still replaces.
class CaseClash : public ExFatDestination, public testing::WithParamInterface<bool> {};

TEST_P(CaseClash, NeverReplacesACopyOfTheSameRun) {
    const bool earlierCopy = GetParam();
    for (const char* name : {"A.jra", "a.jra", "B.jra", "b.JRA"}) WriteFile(source + "/" + name, name);
    if (earlierCopy) {
        fs::create_directory(stamp);
        WriteFile(stamp + "/A.jra", "an earlier run's copy");
    }

    const ChildResult run = Backup({});

    ASSERT_EQ(run.exitCode, 0) << run.errorOutput;
    ASSERT_EQ(run.prompts.size(), earlierCopy ? 2U : 1U) << Describe(run.prompts);
    const Prompt& clash = run.prompts.back();
    EXPECT_EQ(clash.title, kCopyTitle);
    EXPECT_TRUE(clash.text.starts_with(source + "/a.jra: ")) << clash.text;
    EXPECT_NE(clash.text.find(stamp + "/A.jra "), std::string::npos) << clash.text;
    EXPECT_EQ(WholeCopies(stamp, source), (std::vector<std::string>{"A.jra", "B.jra"}));
}

INSTANTIATE_TEST_SUITE_P(CopyFault, CaseClash, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "IntoAnEarlierRunsFolder" : "IntoANewFolder"; });

// A stop signal half-way through the large file: the run ends soon with a failure status, every
// small file copied before it stands whole under its own name, and no temporary file is left.
// With sharing on (where an earlier backup's copies are taken over) the same holds.
struct StopCase {
    int signal;
    bool share;
};

class StopSignal : public ExFatDestination, public testing::WithParamInterface<StopCase> {};

TEST_P(StopSignal, KeepsTheFinishedCopiesAndLeavesNoTemporaryFile) {
    WriteManyFilesAndOneLarge();
    if (GetParam().share) EarlierBackup(true, "f*.jra");
    ChildProcess child({"backup", source, destination, "*.jra", settings});
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(LargeCopyUnderWay()) << "the large file's copy never started";

    const auto sent = std::chrono::steady_clock::now();
    child.Signal(GetParam().signal);
    const int status = child.Wait();

    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(5));
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + GetParam().signal);
    const std::vector<std::string> copies = WholeCopies(stamp, source);
    EXPECT_EQ(copies.size(), 500U);
    EXPECT_FALSE(fs::exists(stamp + "/z.jra"));
}

INSTANTIATE_TEST_SUITE_P(CopyFault, StopSignal,
                         testing::Values(StopCase{SIGTERM, false}, StopCase{SIGINT, false}, StopCase{SIGHUP, false},
                                         StopCase{SIGTERM, true}),
                         [](const auto& info) {
                             return std::string(::sigabbrev_np(info.param.signal)) +
                                    (info.param.share ? "Sharing" : "");
                         });

// The command-line program stops the same way, with the status its usage documents.
TEST_F(ExFatDestination, TheCommandStoppedByCtrlCKeepsTheFinishedCopiesAndAnswersFour) {
    WriteManyFilesAndOneLarge();
    // The program takes the real clock: its stamp folder is the one folder it makes.
    ChildProcess child(QUILLMERE_BACKUP_PROGRAM, {source, destination, "*.jra"});
    std::string folder;
    for (int i = 0; i < 10000 && folder.empty(); ++i) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(destination, error)) folder = entry.path().string();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(LargeCopyUnderWay(folder)) << "the large file's copy never started";
    child.Signal(SIGINT);
    const int status = child.Wait();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 4);
    EXPECT_EQ(WholeCopies(folder, source).size(), 500U);
    EXPECT_FALSE(fs::exists(folder + "/z.jra"));
}

// However a run ends, its stamp folder keeps a record that says so, and --list shows it: a run
// killed outright left "running" with no live process holding the record. Each stamp folder is
// renamed to an older stamp once its run has ended, so the next run's folder is the one new one.
TEST_F(ExFatDestination, EveryEndOfARunIsRecordedAndListed) {
    WriteManyFilesAndOneLarge();
    fs::create_directory(destination + "/20261130_000000");  // made by hand: no record
    const auto newFolder = [&] {
        for (int i = 0; i < 10000; ++i) {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(destination, error)) {
                if (!entry.path().filename().string().starts_with("2026113") &&
                    !entry.path().filename().string().starts_with("20261201")) {
                    return entry.path().string();
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return std::string();
    };
    for (const int signal : {SIGKILL, SIGINT}) {
        ChildProcess child(QUILLMERE_BACKUP_PROGRAM, {source, destination, "*.jra"});
        const std::string folder = newFolder();
        ASSERT_TRUE(LargeCopyUnderWay(folder)) << "the large file's copy never started";
        signal == SIGKILL ? child.Kill() : child.Signal(signal);
        child.Wait();
        fs::rename(folder, destination + (signal == SIGKILL ? "/20261201_000001" : "/20261201_000002"));
    }
    // exFAT takes no ":" in a name: the copy fails at that file.
    WriteFile(source + "/f250:x.jra", "no name for it on exFAT");
    ChildProcess failing(QUILLMERE_BACKUP_PROGRAM, {source, destination, "f*.jra"});
    ASSERT_EQ(WEXITSTATUS(failing.Wait()), 1);
    fs::rename(newFolder(), destination + "/20261201_000003");
    ChildProcess completing(QUILLMERE_BACKUP_PROGRAM, {source, destination, "f00?.jra"});
    ASSERT_EQ(WEXITSTATUS(completing.Wait()), 0);

    FILE* list = ::popen(("'" QUILLMERE_BACKUP_PROGRAM "' --list '" + destination + "'").c_str(), "r");
    ASSERT_NE(list, nullptr);
    std::string listed;
    for (char line[512]; std::fgets(line, sizeof line, list);) listed += line;
    EXPECT_EQ(WEXITSTATUS(::pclose(list)), 0);
    EXPECT_TRUE(std::regex_match(
        listed,
        std::regex(
            "20261130_000000  記録なし  \\(固有 0 バイト  共有 0 バイト\\)\n"
            "20261201_000001  中断 \\(記録を終える前に終了した\\)  0 ファイル  0 バイト  "
            "\\(固有 [0-9]+ バイト  共有 0 バイト\\)\n"
            "20261201_000002  中止  500 ファイル  [0-9]+ バイト  \\(固有 [0-9]+ バイト  共有 0 バイト\\)\n"
            "20261201_000003  失敗  [0-9]+ ファイル  [0-9]+ バイト  \\(固有 [0-9]+ バイト  共有 0 バイト\\)\n"
            "2026[0-9]{4}_[0-9]{6}  完了  10 ファイル  1[0-9]0 バイト  \\(固有 1[0-9]0 バイト  共有 0 バイト\\)\n")))
        << listed;
    const std::optional<RunRecord> failed =
        RunRecord::Parse(ReadFile(destination + "/20261201_000003/.quillmere/run.ini"));
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->failure.starts_with(destination + "/20") &&
                failed->failure.find("/f250:x.jra: ") != std::string::npos)
        << failed->failure;
}

// A run killed outright leaves its temporary files behind in its work folder (and only those of
// the last batch); the next run into the destination removes them and the folder from the earlier
// stamp folder, but not a file that a live process still holds, and nothing that stands in the
// stamp folder itself: a source file named like a temporary file, copied by "*", stays.
TEST_F(ExFatDestination, NextRunRemovesTheTemporaryFilesOfAKilledRunButNotALiveOne) {
    WriteManyFilesAndOneLarge();
    WriteFile(source + "/.quillmere-0123abcd.tmp", "a file of the user's");
    {
        ChildProcess child({"backup", source, destination, "*", settings});
        ASSERT_TRUE(LargeCopyUnderWay()) << "the large file's copy never started";
        child.Kill();
        child.Wait();
    }
    const std::string earlier = destination + "/20261207_101400";
    fs::rename(stamp, earlier);
    auto ours = [](const std::string& folder) {
        std::vector<std::string> names = ListFolder(folder);
        std::erase_if(names, [](const std::string& name) { return !name.starts_with(".quillmere-"); });
        return names;
    };
    const std::vector<std::string> left = ours(earlier);
    ASSERT_EQ(left.size(), 2U) << "the killed run left no work folder";
    ASSERT_TRUE(left[1].starts_with(".quillmere-work-")) << left[1];
    ASSERT_FALSE(ListFolder(earlier + "/" + left[1]).empty()) << "the killed run left no temporary file";
    // A batch holds back little: the small files finished before the large one stand under
    // their own names although the run never ended.
    EXPECT_EQ(ListFolder(earlier).size() - 1, 501U);
    EXPECT_EQ(ReadFile(earlier + "/f499.jra"), ReadFile(source + "/f499.jra"));
    const std::string liveFolder = earlier + "/.quillmere-work-0000beef";
    fs::create_directory(liveFolder);
    const int liveFd = ::open((liveFolder + "/.quillmere-0000beef.tmp").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::flock(liveFd, LOCK_EX), 0);
    WriteFile(earlier + "/.quillmere-notes.tmp", "the user's");
    fs::create_directory(destination + "/other");
    WriteFile(destination + "/other/.quillmere-00000001.tmp", "not in a stamp folder");

    const ChildResult run = Backup({}, "*");
    ::close(liveFd);

    EXPECT_TRUE(run.prompts.empty()) << Describe(run.prompts);
    EXPECT_EQ(WholeCopies(stamp, source).size(), 502U);
    EXPECT_EQ(ours(earlier), (std::vector<std::string>{".quillmere-0123abcd.tmp", ".quillmere-notes.tmp",
                                                       ".quillmere-work-0000beef"}));
    EXPECT_EQ(ReadFile(earlier + "/.quillmere-0123abcd.tmp"), "a file of the user's");
    EXPECT_EQ(ListFolder(liveFolder), std::vector<std::string>{".quillmere-0000beef.tmp"});
    EXPECT_TRUE(fs::exists(destination + "/other/.quillmere-00000001.tmp"));
}

// Where the file system makes files without a name, the copy under way has none: a run killed
// in the middle of a large file leaves the finished copies and nothing else, not even a
// temporary file for the next run to clean.
// With sharing on, the small files are linked to an earlier backup's copies: the same holds.
class KilledRun : public CopyFault, public testing::WithParamInterface<bool> {};

TEST_P(KilledRun, LeavesNoTemporaryFileWhereCopiesAreUnnamed) {
    WriteManyFilesAndOneLarge();
    const std::string earlier = GetParam() ? EarlierBackup(true, "f*.jra") : std::string();
    ChildProcess child({"backup", source, destination, "*.jra", settings});
    ASSERT_TRUE(child.Started());
    // The large copy is under way once the child holds an unnamed file of the stamp folder with
    // more than 8 MB in it.
    bool underWay = false;
    const std::string fds = "/proc/" + std::to_string(child.Pid()) + "/fd";
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
         !underWay && std::chrono::steady_clock::now() < deadline;) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(fds, error)) {
            std::error_code linkError, sizeError;
            const std::string target = fs::read_symlink(entry.path(), linkError).string();
            if (!linkError && target.starts_with(stamp + "/#") && target.ends_with(" (deleted)") &&
                fs::file_size(entry.path(), sizeError) > (8U << 20) && !sizeError) {
                underWay = true;
            }
        }
    }
    ASSERT_TRUE(underWay) << "no unnamed copy seen; the file system under " << destination << " may refuse them";
    child.Kill();
    child.Wait();

    EXPECT_EQ(WholeCopies(stamp, source).size(), 500U);
    EXPECT_FALSE(fs::exists(stamp + "/z.jra"));
    if (GetParam()) {
        EXPECT_EQ(fs::hard_link_count(stamp + "/f499.jra"), 2U);
    }
}

INSTANTIATE_TEST_SUITE_P(CopyFault, KilledRun, testing::Bool(),
                         [](const auto& info) { return info.param ? "Sharing" : "Copying"; });

// With sharing on, an unchanged file's copy is the earlier copy's file (this file system links
// and does not clone); a changed file and every file with sharing off are copied.
class Sharing : public CopyFault, public testing::WithParamInterface<bool> {};

TEST_P(Sharing, LinksOnlyUnchangedFilesAndOnlyWhenTurnedOn) {
    CheckSharing(GetParam(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(CopyFault, Sharing, testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

// exFAT links nothing: with sharing on every file is copied, and nothing fails for it.
TEST_F(ExFatDestination, SharingCopiesEveryFile) {
    CheckSharing(true, false);
}

// Inputs that no run can use: each is refused by its check with one message in the run's title,
// and nothing is created, replaced or stored. A NUL comes from a damaged settings file (read back
// whole, NUL and all) or from the clipboard; the system would see only the text before it.
struct RefusedCase {
    const char* name;
    std::array<std::string, 3> inputs;  // source, destination, wildcard; with the words of Expand
    std::string message;
    const char* focus;
};

const std::string kNul(1, '\0');

const RefusedCase kRefusedCases[] = {
    {"NulInTheSourceFromTheClipboard",
     {"{src}" + kNul + "x", "{dst}", "*.jra"},
     "コピー元フォルダに使えない文字 (NUL) が含まれています。",
     "SourceFolder"},
    {"NulInTheDestinationFromDamagedSettings",
     {"{src}", "{stored}", "*.jra"},
     "コピー先フォルダに使えない文字 (NUL) が含まれています。",
     "DestinationFolder"},
    {"NulInTheWildcard",
     {"{src}", "{dst}/new", "*.jra" + kNul + "/x"},
     "ファイル種別に使えない文字 (NUL) が含まれています。",
     "FileType"},
    {"DestinationIsAFile",
     {"{src}", "{dst}/a.jra", "*.jra"},
     "コピー先フォルダがフォルダではありません。\n{dst}/a.jra",
     "DestinationFolder"},
    {"DestinationIsAFileWithASeparator",
     {"{src}", "{dst}/a.jra/", "*.jra"},
     "コピー先フォルダがフォルダではありません。\n{dst}/a.jra/",
     "DestinationFolder"},
    {"DestinationNameLongerThanAllowed",
     {"{src}", "{dst}/{256n}", "*.jra"},
     "コピー先フォルダを確かめられません。\n{dst}/{256n}: File name too long",
     "DestinationFolder"},
    {"DestinationPathLongerThanAllowed",
     {"{src}", "{long}", "*.jra"},
     "コピー先フォルダを確かめられません。\n{long}: File name too long",
     "DestinationFolder"},
};

class RefusedInput : public CopyFault, public testing::WithParamInterface<RefusedCase> {
protected:
    // {src} and {dst}: the two folders; {stored}: the destination as the damaged settings file
    // holds it, NUL and all; {256n}: a name one byte longer than allowed; {long}: a path longer
    // than PATH_MAX.
    std::string Expand(std::string text) const {
        std::string tooLong = destination;
        while (tooLong.size() <= PATH_MAX) tooLong += "/" + std::string(200, 'd');
        const std::pair<std::string, std::string> words[] = {
            {"{src}", source},
            {"{dst}", destination},
            {"{stored}", SettingsFile(settings).Read("LastExec", "DstFolder", "")},
            {"{256n}", std::string(256, 'n')},
            {"{long}", tooLong}};
        for (const auto& [word, value] : words) {
            for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + value.size())) {
                text.replace(at, word.size(), value);
            }
        }
        return text;
    }
};

TEST_P(RefusedInput, IsRefusedOnceAndNothingIsCreatedOrStored) {
    WriteFile(source + "/a.jra", "new odds");
    WriteFile(destination + "/a.jra", "the user's own file");
    const std::string stored = "[LastExec]\nDstFolder=" + destination + kNul + "/x\n";
    fs::create_directory(dir / "config");
    WriteFile(settings, stored);
    std::vector<std::string> log;
    RealFilesPlatform ops(log, settings);
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};
    FakeWindow window(log);
    for (int i = 0; i < 3; ++i) window.inputs[i] = Expand(GetParam().inputs[i]);

    BackupRun(ops, window).Run();

    EXPECT_EQ(log, (std::vector<std::string>{"prompt 48 [バックアップ] " + Expand(GetParam().message),
                                             "focus "s + GetParam().focus}));
    EXPECT_EQ(ListFolder(destination), std::vector<std::string>{"a.jra"});
    EXPECT_EQ(ReadFile(destination + "/a.jra"), "the user's own file");
    EXPECT_EQ(ReadFile(settings), stored);
}

INSTANTIATE_TEST_SUITE_P(CopyFault, RefusedInput, testing::ValuesIn(kRefusedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A sparse file keeps its holes: the copy of a 2 GiB file holding three short runs of data takes
// a few blocks, not 2 GiB of the destination (and the time to write them).
TEST_F(CopyFault, SparseSourceKeepsItsHolesInTheCopy) {
    constexpr off_t kSize = off_t{2} << 30;
    const std::vector<std::pair<off_t, std::string>> runs = {
        {0, "head"}, {off_t{1} << 30, "middle of the file"}, {kSize - 4, "tail"}};
    const std::string file = source + "/sparse.jra";
    {
        const FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        ASSERT_EQ(::ftruncate(fd.Get(), kSize), 0);
        for (const auto& [at, text] : runs)
            ASSERT_EQ(::pwrite(fd.Get(), text.data(), text.size(), at), ssize_t(text.size()));
    }
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    ASSERT_LT(st.st_blocks * 512, off_t{1} << 20) << "the test folder's file system keeps no holes";

    const ChildResult run = RunChild({}, {"backup", source, destination, "*.jra", settings}, std::chrono::seconds(60));

    EXPECT_TRUE(run.prompts.empty()) << Describe(run.prompts);
    const std::string copy = stamp + "/sparse.jra";
    ASSERT_EQ(::stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, kSize);
    EXPECT_LT(st.st_blocks * 512, off_t{1} << 20) << "the holes were written out as zeros";
    const FileDescriptor fd(::open(copy.c_str(), O_RDONLY | O_CLOEXEC));
    for (const auto& [at, text] : runs) {
        std::string read(text.size() + 8, 'x');
        const ssize_t got = ::pread(fd.Get(), read.data(), read.size(), at);
        read.resize(static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        const std::string expected = at + off_t(text.size()) == kSize ? text : text + std::string(8, '\0');
        EXPECT_EQ(read, expected) << "at " << at;
    }
}

}  // namespace
}  // namespace quillmere::test
