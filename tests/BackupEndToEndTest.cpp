// Whole backups through the real file operations and a real settings file, with the user's
// answers scripted: what ends up on disk and in the store, and what the user was shown.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>

#include "backup/BackupRun.h"
#include "backup/FileModule.h"
#include "platform/SettingsFile.h"
#include "tests/FakeWindow.h"
#include "tests/RealFilesPlatform.h"
#include "tests/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Subfolders(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class BackupEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(source);
        WriteFile(source + "/ZO01.JRA", "win odds");
        WriteFile(source + "/tn01.jra", std::string(100000, 't'));
        WriteFile(source + "/メモ.txt", "not a backup file");
        fs::create_directory(source + "/old.jra");
        const timespec times[2] = {{1'200'000'000, 0}, {1'200'000'000, 500}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (source + "/ZO01.JRA").c_str(), times, 0), 0);
    }

    std::string Stored(const std::string& key) const {
        return SettingsFile(settings).Read("LastExec", key, "<absent>");
    }

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
    EXPECT_EQ(ListFolder(stampFolder), (std::vector<std::string>{"ZO01.JRA", "tn01.jra"}));
    EXPECT_EQ(ReadFile(stampFolder + "/ZO01.JRA"), "win odds");
    EXPECT_EQ(ReadFile(stampFolder + "/tn01.jra"), ReadFile(source + "/tn01.jra"));
    EXPECT_EQ(fs::last_write_time(stampFolder + "/ZO01.JRA"), fs::last_write_time(source + "/ZO01.JRA"));
    EXPECT_EQ(Stored("SrcFolder"), source);
    EXPECT_EQ(Stored("DstFolder"), destination);
    EXPECT_EQ(Stored("FileType"), "*.jra");
    EXPECT_EQ(log.back(), "pointer 0");
}

TEST_F(BackupEndToEnd, SecondRunInTheSameSecondReplacesTheCopiesInTheSameFolder) {
    fs::create_directory(destination);
    window.inputs = {source, destination, "*.jra"};
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};
    BackupRun(ops, window).Run();
    WriteFile(source + "/ZO01.JRA", "new odds");

    BackupRun(ops, window).Run();

    const std::string stampFolder = destination + "/20261207_101500";
    ASSERT_EQ(ops.prompts.shown.size(), 1U);
    EXPECT_EQ(ops.prompts.shown[0].title, "フォルダの作成");
    EXPECT_EQ(ops.prompts.shown[0].text, stampFolder + ": File exists");
    EXPECT_EQ(Subfolders(destination), std::vector<std::string>{"20261207_101500"});
    EXPECT_EQ(ReadFile(stampFolder + "/ZO01.JRA"), "new odds");
}

TEST_F(BackupEndToEnd, DestinationInsideTheSourceNeverCopiesEarlierStampFolders) {
    window.inputs = {source, source, "*.*"};
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};
    BackupRun(ops, window).Run();
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 16, 0};
    BackupRun(ops, window).Run();

    EXPECT_TRUE(ops.prompts.shown.empty());
    const std::vector<std::string> copies = {"ZO01.JRA", "tn01.jra", "メモ.txt"};
    EXPECT_EQ(ListFolder(source + "/20261207_101500"), copies);
    EXPECT_EQ(ListFolder(source + "/20261207_101600"), copies);
}

TEST_F(BackupEndToEnd, DestinationThatIsAFileReportsBothFailuresAndStillStoresTheInputs) {
    WriteFile(destination, "a file, not a folder");
    window.inputs = {source, destination, "*.jra"};
    ops.fixedTime = LocalTime{2026, 12, 7, 10, 15, 0};

    BackupRun(ops, window).Run();

    const std::string stampFolder = destination + "/20261207_101500";
    ASSERT_EQ(ops.prompts.shown.size(), 2U);
    EXPECT_EQ(ops.prompts.shown[0].title, "フォルダの作成");
    EXPECT_EQ(ops.prompts.shown[0].text, stampFolder + ": Not a directory");
    EXPECT_EQ(ops.prompts.shown[1].title, "ファイルのコピー");
    EXPECT_EQ(ops.prompts.shown[1].text, stampFolder + ": Not a directory");
    EXPECT_EQ(ReadFile(destination), "a file, not a folder");
    EXPECT_EQ(Stored("DstFolder"), destination);
}

TEST_F(BackupEndToEnd, WildcardMatchingOnlyFoldersAndHiddenFilesStopsTheRun) {
    fs::create_directory(destination);
    WriteFile(source + "/.secret.dat", "hidden");
    fs::create_directory(source + "/folder.dat");
    window.inputs = {source, destination, "*.dat"};

    BackupRun(ops, window).Run();

    EXPECT_EQ(log, (std::vector<std::string>{"prompt 48 [バックアップ] コピー元フォルダに該当ファイルが存在しません。",
                                             "focus FileType"}));
    EXPECT_TRUE(fs::is_empty(destination));
    EXPECT_EQ(Stored("FileType"), "<absent>");
}

struct ExistsCase {
    std::string name;
    std::string path;  // relative to the test folder; "/" alone is the root
    bool exists;
};

const ExistsCase kExistsCases[] = {
    {"Folder", "full", true},
    {"FolderWithSeparator", "full/", true},
    {"EmptyFolder", "empty", true},
    {"EmptyFolderWithSeparator", "empty/", true},
    {"FolderHoldingOnlyHiddenFiles", "hidden-only/", true},
    {"HiddenFolder", ".backup", true},
    {"ExistingFileCountsToo", "full/a.jra", true},
    {"Missing", "missing", false},
    {"MissingWithSeparator", "missing/", false},
    {"FileWithSeparator", "full/a.jra/", false},
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
    fs::create_directories(dir.Path() / ".backup");
    std::vector<std::string> log;
    RealFilesPlatform ops(log, dir / "settings.conf");

    EXPECT_EQ(FileModule::FolderExists(ops, dir / GetParam().path), GetParam().exists);
    EXPECT_TRUE(ops.prompts.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(BackupEndToEnd, FolderExistsOnDisk, testing::ValuesIn(kExistsCases),
                         [](const testing::TestParamInfo<ExistsCase>& info) { return info.param.name; });

TEST(FolderExistsOnDiskRoot, RootExistsWithItsSeparator) {
    std::vector<std::string> log;
    TempFolder dir;
    RealFilesPlatform ops(log, dir / "settings.conf");
    EXPECT_TRUE(FileModule::FolderExists(ops, "/"));
}

}  // namespace
}  // namespace quillmere::test
