// The real quillmere-backup run as a child process against real folders: what each refusal prints
// and answers, --yes, the stored inputs it uses and writes, and the path it prints.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "platform/SystemFiles.h"
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

    // stdoutTo: a redirection of standard output in place of the file the test reads; from: the
    // folder it starts in; environment: more "NAME=value " settings for it.
    Outcome Run(const std::vector<std::string>& args, const std::string& stdoutTo = "", const std::string& from = ".",
                const std::string& environment = "") {
        std::string line = "cd " + Quoted(from) + " && " + environment + "XDG_CONFIG_HOME=" + Quoted(config) + " " +
                           Quoted(QUILLMERE_BACKUP_PROGRAM);
        for (const std::string& arg : args) line += " " + Quoted(arg);
        WriteFile(folder / "out", "");
        line += " " + (stdoutTo.empty() ? ">" + Quoted(folder / "out") : stdoutTo);
        line += " 2>" + Quoted(folder / "err") + " </dev/null";
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
    std::vector<std::string> args;  // "SRC", "DST..." and "MISSING" stand for the test's folders
    int status;
    const char* message;
    std::string stored = "";  // the settings file before the run; "SRC" and "DST" stand for the folders
};

class BackupCommandRefusal : public BackupCommand, public testing::WithParamInterface<Refusal> {};

// Every refusal leaves no folder behind and nothing stored.
TEST_P(BackupCommandRefusal, PrintsItsMessageAndAnswersItsStatus) {
    fs::create_directories(destination);
    std::vector<std::string> args;
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg == "SRC"             ? source
                       : arg.starts_with("DST") ? destination + arg.substr(3)
                       : arg == "MISSING"       ? folder / "new"
                                                : arg);
    }
    std::string stored = GetParam().stored;
    for (const auto& [name, path] : {std::pair<std::string, std::string>{"SRC", source}, {"DST", destination}}) {
        for (auto at = stored.find(name); at != std::string::npos; at = stored.find(name, at + path.size())) {
            stored.replace(at, name.size(), path);
        }
    }
    if (!stored.empty()) {
        fs::create_directories(config + "/Quillmere");
        WriteFile(config + "/Quillmere/Quillmere.conf", stored);
    }
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, GetParam().status);
    EXPECT_NE(outcome.err.find(GetParam().message), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(fs::is_empty(destination));
    EXPECT_FALSE(fs::exists(folder / "new"));
    EXPECT_EQ(Stored(), stored);
}

INSTANTIATE_TEST_SUITE_P(
    , BackupCommandRefusal,
    testing::Values(Refusal{"NoSource", {"", "DST"}, 3, "コピー元フォルダが指定されていません。"},
                    Refusal{"NoDestination", {"SRC", " "}, 3, "コピー先フォルダが指定されていません。"},
                    Refusal{"SourceMissing", {"MISSING", "DST"}, 3, "コピー元フォルダが存在しません。"},
                    Refusal{"DestinationNotCreatedWithoutYes", {"SRC", "MISSING"}, 3, "作成しますか？ いいえ"},
                    Refusal{"NoFileType", {"SRC", "DST", ""}, 3, "ファイル種別が指定されていません。"},
                    Refusal{"NoMatchingFile", {"SRC", "DST", "*.zzz"}, 3, "該当ファイルが存在しません。"},
                    // Its path could not be the last line of the output.
                    Refusal{
                        "DestinationWithALineBreak", {"SRC", "DST\rx"}, 3, "コピー先フォルダに改行が含まれています。"},
                    // Control characters reach the terminal escaped, whatever the message.
                    Refusal{"UnknownOptionIsShownEscaped",
                            {"--\x1b]2;x\a\xC2\x9B\xFF"},
                            2,
                            "不明なオプションです: --\\033]2;x\\a\\302\\233\\377\n"},
                    // The stored destination's file system is not the one it was stored with.
                    Refusal{"DestinationOnAnotherFileSystem",
                            {},
                            3,
                            "前回: UUID=unplugged\n今回: ",
                            "[LastExec]\nSrcFolder=SRC\nDstFolder=DST\nDstVolume=UUID=unplugged\n"},
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
    EXPECT_EQ(Stored(), "[LastExec]\nSrcFolder=" + source + "\nDstFolder=" + destination +
                            "\nFileType=*.jra\nDstVolume=" + SystemFiles::FolderIdentity(destination) + "\n");

    // Without folders the next run takes the stored ones. (The first stamp folder moves aside: the
    // second run may come in the same second.) Told to share unchanged files, it links the
    // unchanged one to the first backup's copy and stores that choice.
    fs::rename(std::string(stamp[1]), destination + "/20000101_000000");
    WriteFile(source + "/c.jra", "new odds");
    const Outcome again = Run({"--share-unchanged"});
    ASSERT_EQ(again.status, 0) << again.err;
    const std::string second = again.out.substr(0, again.out.size() - 1);
    EXPECT_EQ(ListFolder(second), (std::vector<std::string>{"a.jra", "c.jra"}));
    EXPECT_EQ(fs::hard_link_count(second + "/a.jra"), 2U);
    EXPECT_NE(Stored().find("\nShareUnchanged=1\n"), std::string::npos) << Stored();
}

// A timer starts in another folder than the person who ran the command by hand: the relative
// folders are stored as the absolute ones used, and a same-named folder there is not taken.
TEST_F(BackupCommand, RelativeFoldersAreStoredAsUsedSoALaterRunFromElsewhereTakesTheSame) {
    fs::create_directories(folder / "elsewhere/src");
    WriteFile(folder / "elsewhere/src/decoy.jra", "other odds");
    const Outcome first = Run({"--yes", "./src", "dst"}, "", folder.Path());
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(
        Stored().rfind("[LastExec]\nSrcFolder=" + source + "\nDstFolder=" + destination + "\nFileType=*.jra\n", 0), 0U)
        << Stored();
    fs::rename(first.out.substr(0, first.out.size() - 1), destination + "/first");

    const Outcome again = Run({}, "", folder / "elsewhere");
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out.rfind(destination + "/", 0), 0U) << again.out;
    EXPECT_EQ(ListFolder(again.out.substr(0, again.out.size() - 1)), std::vector<std::string>{"a.jra"});
}

// The first start's default, a Windows program's folder, is found on its Wine drive whatever the
// case of its names there, and a stamp folder is made beside its files; it stays stored as typed,
// and the path printed is the one on this system. A drive the prefix lacks creates nothing.
TEST_F(BackupCommand, TheDefaultWindowsFolderIsBackedUpThroughTheWineDrive) {
    fs::create_directories(folder / "prefix/dosdevices");
    fs::create_directories(folder / "prefix/drive_c/program files/PAT98");
    fs::create_symlink("../drive_c", folder.Path() / "prefix/dosdevices/c:");
    WriteFile(folder / "prefix/drive_c/program files/PAT98/ZO010605.JRA", "odds");
    const std::string wine = "WINEPREFIX=" + Quoted(folder / "prefix") + " ";
    const Outcome outcome = Run({}, "", folder.Path(), wine);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::smatch stamp;
    const std::string pat98 = fs::canonical(folder.Path() / "prefix/drive_c/program files/PAT98").string();
    ASSERT_TRUE(std::regex_match(outcome.out, stamp, std::regex("(.*/[0-9]{8}_[0-9]{6})\n"))) << outcome.out;
    EXPECT_EQ(fs::path(std::string(stamp[1])).parent_path(), pat98);
    EXPECT_EQ(ListFolder(stamp[1]), std::vector<std::string>{"ZO010605.JRA"});
    EXPECT_NE(Stored().find("SrcFolder=C:\\Program Files\\Pat98\nDstFolder=C:\\Program Files\\Pat98\n"),
              std::string::npos)
        << Stored();

    const Outcome noDrive = Run({"--yes", source, "D:\\backup"}, "", folder.Path(), wine);
    EXPECT_EQ(noDrive.status, 1);
    EXPECT_NE(noDrive.err.find("D:\\backup: Wine のドライブ D: がありません。"), std::string::npos) << noDrive.err;
    EXPECT_FALSE(fs::exists(folder / "D:\\backup"));
}

// A completed backup whose output or stored inputs a script cannot rely on answers a status of its
// own; --quiet prints nothing on success.
struct Completion {
    const char* name;
    std::vector<std::string> options;
    const char* stdoutTo;
    bool settingsUnwritable;
    int status;
    const char* message;  // on standard error; "" for none
};

class BackupCommandCompletion : public BackupCommand, public testing::WithParamInterface<Completion> {};

TEST_P(BackupCommandCompletion, CopiesAndAnswersItsStatus) {
    const Completion& c = GetParam();
    fs::create_directories(destination);
    if (c.settingsUnwritable) {
        fs::create_directories(config);
        WriteFile(config + "/Quillmere", "a file where the folder belongs");
    }
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {source, destination});

    const Outcome outcome = Run(args, c.stdoutTo);

    EXPECT_EQ(outcome.status, c.status);
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    if (!*c.message) {
        EXPECT_EQ(outcome.err, "");
    }
    if (!*c.stdoutTo) {
        EXPECT_EQ(outcome.out, "");
    }
    const std::vector<std::string> stamps = ListFolder(destination);
    ASSERT_EQ(stamps.size(), 1u);
    EXPECT_EQ(ListFolder(destination + "/" + stamps[0]), std::vector<std::string>{"a.jra"});
}

INSTANTIATE_TEST_SUITE_P(
    , BackupCommandCompletion,
    testing::Values(Completion{"Quiet", {"--quiet"}, "", false, 0, ""},
                    Completion{"StdoutClosed", {}, ">&-", false, 5, "パスを標準出力に書けませんでした: "},
                    Completion{"StdoutFull", {}, ">/dev/full", false, 5, "パスを標準出力に書けませんでした: "},
                    Completion{"InputsNotStored", {"-q"}, "", true, 6, "入力内容を保存できませんでした。"}),
    [](const testing::TestParamInfo<Completion>& info) { return std::string(info.param.name); });

TEST_F(BackupCommand, HelpAndVersionPrintOnStandardOutputOnly) {
    const Outcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.out.find("quillmere-backup [--yes]"), std::string::npos);
    EXPECT_NE(outcome.out.find("4  SIGINT"), std::string::npos);
    EXPECT_NE(outcome.out.find("6  "), std::string::npos);

    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("quillmere-backup \\(Quillmere\\) [0-9.]+\n"))) << version.out;
    EXPECT_EQ(Run({"--version"}, ">/dev/full").status, 5);
}

}  // namespace
}  // namespace quillmere::test
