// Whole backups through the real file operations and a real settings store, with the user's
// answers scripted: what ends up on disk and in the store, and what the user was shown. The same
// runs pass on Linux and, through the Win32 operations, on Windows.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "backup/BackupRun.h"
#include "backup/FileModule.h"
#include "tests/support/FakeWindow.h"
#include "tests/support/NativePath.h"
#include "tests/support/RealFilesPlatform.h"
#include "tests/support/TempFolder.h"

#ifdef _WIN32
#include "platform/win32/Win32Error.h"
#endif

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;

// The system's reasons for the failures these runs provoke.
#ifdef _WIN32
const std::string kAlreadyExists = Win32Error::Reason(ERROR_ALREADY_EXISTS);
const std::string kRoot = "C:\\";
#else
const std::string kAlreadyExists = "File exists";
const std::string kRoot = "/";
#endif

std::vector<std::string> Subfolders(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(FsPath(folder))) {
        if (entry.is_directory()) names.push_back(Utf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

class BackupEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(FsPath(source));
        WriteFile(source + "/ZO01.JRA", "win odds");
        WriteFile(source + "/tn01.jra", std::string(100000, 't'));
        WriteFile(source + "/メモ.txt", "not a backup file");
        WriteFile(source + "/馬券 オッズ.jra", "日本語の名前");
        fs::create_directory(FsPath(source + "/old.jra"));
        // Years back and off the whole second, so a copy that took the time of copying shows.
        const fs::path odds = FsPath(source + "/ZO01.JRA");
        fs::last_write_time(
            odds, fs::last_write_time(odds) - std::chrono::hours(24 * 3000) - std::chrono::microseconds(1234567));
    }

    std::string Stored(const std::string& key) const { return ops.Settings().Read("LastExec", key, "<absent>"); }

    TempFolder dir;
    const std::string source = dir / "オッズ データ";
    const std::string destination = dir / "バック アップ";
    const std::string settings = dir / "config/Quillmere.conf";
    std::vector<std::string> log;
    RealFilesPlatform ops{log, settings};
    FakeWindow window{log};
};

TEST_F(BackupEndToEnd, CreatesTheDestinationAndAStampFolderWithExactCopies) {
    window.inputs = {" " + source + " ", destination, "*.jra"};
    ops.prompts.answers = {PromptAnswer::Yes};

    BackupRun(ops, window).Run();

    ASSERT_EQ(ops.prompts.shown.size(), 1U);
    EXPECT_EQ(ops.prompts.shown[0].text, "コピー先フォルダが存在しません。作成しますか？");
    const auto stamps = Subfolders(destination);
    ASSERT_EQ(stamps.size(), 1U);
    EXPECT_TRUE(std::regex_match(stamps[0], std::regex("20[0-9]{6}_[0-2][0-9][0-5][0-9][0-5][0-9]"))) << stamps[0];
    const std::string stampFolder = destination + "/" + stamps[0];
    EXPECT_EQ(ListFolder(stampFolder), (std::vector<std::string>{"ZO01.JRA", "tn01.jra", "馬券 オッズ.jra"}));
    EXPECT_EQ(ReadFile(stampFolder + "/ZO01.JRA"), "win odds");
    EXPECT_EQ(ReadFile(stampFolder + "/馬券 オッズ.jra"), "日本語の名前");
    EXPECT_EQ(ReadFile(stampFolder + "/tn01.jra"), ReadFile(source + "/tn01.jra"));
    EXPECT_EQ(fs::last_write_time(FsPath(stampFolder + "/ZO01.JRA")),
              fs::last_write_time(FsPath(source + "/ZO01.JRA")));
    EXPECT_EQ(Stored("SrcFolder"), source);
    EXPECT_EQ(Stored("DstFolder"), destination);
    EXPECT_EQ(Stored("FileType"), "*.jra");
    EXPECT_EQ(log.back(), "pointer 0");
}

TEST_F(BackupEndToEnd, SecondRunInTheSameSecondReplacesTheCopiesInTheSameFolder) {
    fs::create_directory(FsPath(destination));
    window.inputs = {source, destination, "*.jra"};
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};
    BackupRun(ops, window).Run();
    WriteFile(source + "/ZO01.JRA", "new odds");

    BackupRun(ops, window).Run();

    const std::string stampFolder = Native(destination + "/20261207_101500");
    ASSERT_EQ(ops.prompts.shown.size(), 1U);
    EXPECT_EQ(ops.prompts.shown[0].title, "フォルダの作成");
    EXPECT_EQ(ops.prompts.shown[0].text, stampFolder + ": " + kAlreadyExists);
    EXPECT_EQ(Subfolders(destination), std::vector<std::string>{"20261207_101500"});
    EXPECT_EQ(ReadFile(stampFolder + "/ZO01.JRA"), "new odds");
}

// A copy that fails when it is to take its name (a folder stands there) is told with the number
// of copies that really stand whole under their names: the one before it, not those copied
// meanwhile and never named.
TEST_F(BackupEndToEnd, ACopyThatCannotTakeItsNameSaysHowManyFilesWereCopied) {
    const std::string stampFolder = Native(destination + "/20261207_101500");
    fs::create_directories(FsPath(stampFolder + "/tn01.jra"));
    window.inputs = {source, destination, "*.jra"};
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};

    BackupRun(ops, window).Run();

    ASSERT_EQ(ops.prompts.shown.size(), 2U);
    EXPECT_EQ(ops.prompts.shown[1].title, "ファイルのコピー");
    const std::string& text = ops.prompts.shown[1].text;
    EXPECT_EQ(text.rfind(Native(stampFolder + "/tn01.jra: "), 0), 0U) << text;
    EXPECT_TRUE(text.ends_with("\n1 個のファイルをコピーしました。残りのファイルはコピーしていません。")) << text;
    EXPECT_EQ(ListFolder(stampFolder), (std::vector<std::string>{"ZO01.JRA", "tn01.jra"}));
    EXPECT_EQ(ReadFile(stampFolder + "/ZO01.JRA"), "win odds");
}

TEST_F(BackupEndToEnd, DestinationInsideTheSourceNeverCopiesEarlierStampFolders) {
    window.inputs = {source, source, "*.*"};
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};
    BackupRun(ops, window).Run();
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 16, 0};
    BackupRun(ops, window).Run();

    EXPECT_TRUE(ops.prompts.shown.empty());
    const std::vector<std::string> copies = {"ZO01.JRA", "tn01.jra", "メモ.txt", "馬券 オッズ.jra"};
    EXPECT_EQ(ListFolder(source + "/20261207_101500"), copies);
    EXPECT_EQ(ListFolder(source + "/20261207_101600"), copies);
}

// A file named as the destination would fail every step of the run; it is refused once, before
// anything is created or stored.
TEST_F(BackupEndToEnd, DestinationThatIsAFileIsRefusedOnce) {
    WriteFile(destination, "a file, not a folder");
    window.inputs = {source, destination, "*.jra"};

    BackupRun(ops, window).Run();

    EXPECT_EQ(log, (std::vector<std::string>{
                       "prompt 48 [バックアップ] コピー先フォルダがフォルダではありません。\n" + destination,
                       "focus DestinationFolder"}));
    EXPECT_EQ(ReadFile(destination), "a file, not a folder");
    EXPECT_EQ(Stored("DstFolder"), "<absent>");
}

// Typed with a trailing "/" (a separator on Windows too), the folders are the same: the
// existing destination is not offered for creation, and the inputs are stored as typed.
TEST_F(BackupEndToEnd, FoldersTypedWithATrailingSlashAreUsed) {
    fs::create_directory(FsPath(destination));
    window.inputs = {Native(source) + "/", Native(destination) + "/", "*.jra"};
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};

    BackupRun(ops, window).Run();

    EXPECT_TRUE(ops.prompts.shown.empty()) << ops.prompts.shown[0].text;
    EXPECT_EQ(ListFolder(destination + "/20261207_101500"),
              (std::vector<std::string>{"ZO01.JRA", "tn01.jra", "馬券 オッズ.jra"}));
    EXPECT_EQ(Stored("DstFolder"), Native(destination) + "/");
}

TEST_F(BackupEndToEnd, WildcardMatchingOnlyFoldersAndHiddenFilesStopsTheRun) {
    fs::create_directory(FsPath(destination));
    WriteFile(source + "/.secret.dat", "hidden");
    MarkHidden(source + "/.secret.dat");
    fs::create_directory(FsPath(source + "/folder.dat"));
    window.inputs = {source, destination, "*.dat"};

    BackupRun(ops, window).Run();

    EXPECT_EQ(log, (std::vector<std::string>{"prompt 48 [バックアップ] コピー元フォルダに該当ファイルが存在しません。",
                                             "focus FileType"}));
    EXPECT_TRUE(fs::is_empty(FsPath(destination)));
    EXPECT_EQ(Stored("FileType"), "<absent>");
}

struct ExistsCase {
    std::string name;
    std::string path;  // relative to the test folder; "/" alone is the root, "~" is "/" everywhere
    bool exists;
};

// "~" is a "/" that Native leaves alone: on Windows the separator other than "\".
std::string WithSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '~', '/');
    return path;
}

const ExistsCase kExistsCases[] = {
    {"Folder", "full", true},
    {"FolderWithSeparator", "full/", true},
    {"EmptyFolder", "empty", true},
    {"EmptyFolderWithSeparator", "empty/", true},
    {"EmptyFolderWithSlashes", "empty~~", true},
    {"FolderHoldingOnlyHiddenFiles", "hidden-only/", true},
    {"HiddenFolder", ".backup", true},
    {"ExistingFileCountsToo", "full/a.jra", true},
    {"Missing", "missing", false},
    {"MissingWithSeparator", "missing/", false},
    {"FileWithSeparator", "full/a.jra/", false},
    {"FileWithSlash", "full/a.jra~", false},
    {"WildcardMatchingSomething", "ful*", true},
};

class FolderExistsOnDisk : public testing::TestWithParam<ExistsCase> {};

TEST_P(FolderExistsOnDisk, Answers) {
    TempFolder dir;
    fs::create_directories(dir.Path() / "full");
    WriteFile(dir / "full/a.jra", "a");
    fs::create_directories(dir.Path() / "empty");
    fs::create_directories(dir.Path() / "hidden-only");
    WriteFile(dir / "hidden-only/.x", "x");
    MarkHidden(dir / "hidden-only/.x");
    fs::create_directories(dir.Path() / ".backup");
    std::vector<std::string> log;
    RealFilesPlatform ops(log, dir / "settings.conf");

    EXPECT_EQ(FileModule::FolderExists(ops, WithSlashes(Native(dir / GetParam().path))), GetParam().exists);
    EXPECT_TRUE(ops.prompts.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(BackupEndToEnd, FolderExistsOnDisk, testing::ValuesIn(kExistsCases),
                         [](const testing::TestParamInfo<ExistsCase>& info) { return info.param.name; });

TEST(FolderExistsOnDiskRoot, RootExistsWithItsSeparator) {
    std::vector<std::string> log;
    TempFolder dir;
    RealFilesPlatform ops(log, dir / "settings.conf");
    EXPECT_TRUE(FileModule::FolderExists(ops, kRoot));
}

}  // namespace
}  // namespace quillmere::test
