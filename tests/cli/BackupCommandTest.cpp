// The real quillmere-backup run as a child process against real folders: what each refusal prints
// and answers, --yes, the stored inputs it uses and writes, and the path it prints.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class BackupCommand : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(source);
        WriteFile(source + "/a.jra", "odds");
        WriteFile(source + "/b.txt", "notes");
    }

    Outcome Run(const std::vector<std::string>& args) {
        std::string line = "XDG_CONFIG_HOME=" + Quoted(config) + " " + Quoted(QUILLMERE_BACKUP_PROGRAM);
        for (const std::string& arg : args) line += " " + Quoted(arg);
        line += " >" + Quoted(folder / "out") + " 2>" + Quoted(folder / "err") + " </dev/null";
        const int wait = std::system(line.c_str());
        return {WIFEXITED(wait) ? WEXITSTATUS(wait) : -1, ReadFile(folder / "out"), ReadFile(folder / "err")};
    }

    std::string Stored() {
        const std::string file = config + "/Quillmere/Quillmere.conf";
        return fs::exists(file) ? ReadFile(file) : "";
    }

    TempFolder folder;
    const std::string source = folder / "src";
    const std::string destination = folder / "dst";
    const std::string config = folder / "config";
};

struct Refusal {
    const char* name;
    std::vector<std::string> args;  // "SRC", "DST" and "MISSING" stand for the test's folders
    int status;
    const char* message;
};

class BackupCommandRefusal : public BackupCommand, public testing::WithParamInterface<Refusal> {};

// Every refusal leaves no folder behind and nothing stored.
TEST_P(BackupCommandRefusal, PrintsItsMessageAndAnswersItsStatus) {
    fs::create_directories(destination);
    std::vector<std::string> args;
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg == "SRC" ? source : arg == "DST" ? destination : arg == "MISSING" ? folder / "new" : arg);
    }
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, GetParam().status);
    EXPECT_NE(outcome.err.find(GetParam().message), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(fs::is_empty(destination));
    EXPECT_FALSE(fs::exists(folder / "new"));
    EXPECT_EQ(Stored(), "");
}

INSTANTIATE_TEST_SUITE_P(
    , BackupCommandRefusal,
    testing::Values(Refusal{"NoSource", {"", "DST"}, 3, "コピー元フォルダが指定されていません。"},
                    Refusal{"NoDestination", {"SRC", " "}, 3, "コピー先フォルダが指定されていません。"},
                    Refusal{"SourceMissing", {"MISSING", "DST"}, 3, "コピー元フォルダが存在しません。"},
                    Refusal{"DestinationNotCreatedWithoutYes", {"SRC", "MISSING"}, 3, "作成しますか？ いいえ"},
                    Refusal{"NoFileType", {"SRC", "DST", ""}, 3, "ファイル種別が指定されていません。"},
                    Refusal{"NoMatchingFile", {"SRC", "DST", "*.zzz"}, 3, "該当ファイルが存在しません。"},
                    Refusal{"OneFolderOnly", {"SRC"}, 2, "コピー元とコピー先"},
                    Refusal{"UnknownOption", {"--force", "SRC", "DST"}, 2, "不明なオプションです: --force"},
                    Refusal{"ListOfTwoFolders", {"--list", "SRC", "DST"}, 2, "コピー先フォルダを一つだけ"}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(BackupCommand, YesCreatesTheDestinationCopiesAndStoresTheInputs) {
    const Outcome outcome = Run({"--yes", source, destination});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::smatch stamp;
    ASSERT_TRUE(std::regex_match(outcome.out, stamp, std::regex("(.*/dst/[0-9]{8}_[0-9]{6})\n"))) << outcome.out;
    EXPECT_EQ(ListFolder(stamp[1]), std::vector<std::string>{"a.jra"});
    EXPECT_EQ(Stored(), "[LastExec]\nSrcFolder=" + source + "\nDstFolder=" + destination + "\nFileType=*.jra\n");

    // Without folders the next run takes the stored ones. (The first stamp folder moves aside: the
    // second run may come in the same second.)
    fs::rename(std::string(stamp[1]), destination + "/first");
    WriteFile(source + "/c.jra", "new odds");
    const Outcome again = Run({});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ListFolder(again.out.substr(0, again.out.size() - 1)), (std::vector<std::string>{"a.jra", "c.jra"}));
}

TEST_F(BackupCommand, HelpPrintsTheUsageAndTheExitStatuses) {
    const Outcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.out.find("quillmere-backup [--yes]"), std::string::npos);
    EXPECT_NE(outcome.out.find("4  SIGINT"), std::string::npos);
}

}  // namespace
}  // namespace quillmere::test
