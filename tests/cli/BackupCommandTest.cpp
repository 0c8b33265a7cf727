// The real quillmere-backup run as a child process against real folders: what each refusal prints
// and answers, --yes, the stored inputs it uses and writes, and the path it prints.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "platform/SystemFiles.h"
#include "platform/posix/FileDescriptor.h"
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
                    Refusal{"ListOfTwoFolders", {"--list", "SRC", "DST"}, 2, "コピー先フォルダを一つだけ"},
                    Refusal{"KeepRunsNotANumber", {"--keep-runs", "-1", "SRC", "DST"}, 2, "0 以上の整数"}),
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

// Old backups after a completed run. Each token of before and kept is "DAYS:KIND": a stamp folder
// DAYS days before now (a negative count is ahead of the clock) holding a.jra and, by KIND, a
// record: c completed, f failed, s stopped, l "running" with its lock held by the test, n none; L
// is a link at the stamp name to a recorded folder outside the destination.
struct Retention {
    const char* name;
    std::string before;
    std::vector<std::string> options;
    std::string kept;
};

class BackupCommandRetention : public BackupCommand, public testing::WithParamInterface<Retention> {
protected:
    static std::vector<std::string> Tokens(const std::string& text) {
        std::istringstream in(text);
        std::vector<std::string> tokens;
        for (std::string token; in >> token;) tokens.push_back(token);
        return tokens;
    }

    // Seconds apart by position, and a minute before now, so no stamp is the new run's.
    static std::string Stamp(const std::string& token, int position) {
        const std::time_t at = std::time(nullptr) - std::stol(token) * 86400 - 60 - position;
        std::tm local{};
        ::localtime_r(&at, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
        return text;
    }

    static void Record(const std::string& folder, const std::string& outcome) {
        fs::create_directories(folder + "/.quillmere");
        WriteFile(folder + "/.quillmere/run.ini", "[Run]\nOutcome=" + outcome + "\n");
    }

    // Makes the folders of before; answers the stamp of each token.
    std::map<std::string, std::string> Seed(const std::string& before) {
        std::map<std::string, std::string> stamps;
        int position = 0;
        for (const std::string& token : Tokens(before)) {
            const std::string stamp = Stamp(token, position++);
            const std::string path = destination + "/" + stamp;
            const char kind = token.back();
            stamps[token] = stamp;
            if (kind == 'L') {
                fs::create_directories(folder / "outside");
                WriteFile(folder / "outside/a.jra", "theirs");
                Record(folder / "outside", "completed");
                fs::create_directory_symlink(folder / "outside", path);
                continue;
            }
            fs::create_directories(path);
            WriteFile(path + "/a.jra", "odds");
            const std::map<char, const char*> outcomes = {
                {'c', "completed"}, {'f', "failed"}, {'s', "stopped"}, {'l', "running"}};
            if (kind != 'n') Record(path, outcomes.at(kind));
            if (kind == 'l') {
                m_held = FileDescriptor(::open((path + "/.quillmere").c_str(), O_RDONLY | O_DIRECTORY));
                EXPECT_EQ(::flock(m_held.Get(), LOCK_EX), 0);
            }
        }
        return stamps;
    }

    FileDescriptor m_held;
};

TEST_P(BackupCommandRetention, RemovesOnlyOurOldBackupsOutsideTheLimits) {
    const Retention& r = GetParam();
    fs::create_directories(destination);
    const std::map<std::string, std::string> stamps = Seed(r.before);
    std::vector<std::string> args = r.options;
    args.insert(args.end(), {source, destination});

    const Outcome outcome = Run(args);

    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::vector<std::string> expected = {fs::path(outcome.out.substr(0, outcome.out.size() - 1)).filename()};
    for (const std::string& token : Tokens(r.kept)) expected.push_back(stamps.at(token));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(destination), expected);
    if (fs::exists(folder / "outside")) {
        EXPECT_EQ(ListFolder(folder / "outside"), std::vector<std::string>{"a.jra"});
        EXPECT_TRUE(fs::exists(folder / "outside/.quillmere/run.ini"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    , BackupCommandRetention,
    testing::Values(
        Retention{"NoLimitKeepsAll", "40:c 30:f", {}, "40:c 30:f"},
        // Stopped and failed runs are not counted; those older than the oldest one kept go.
        Retention{"CountKeepsTheNewestCompleted", "40:c 30:f 20:c 10:s 5:c", {"--keep-runs", "3"}, "20:c 10:s 5:c"},
        Retention{"AgeByTheStamp", "40:c 20:s 5:c", {"--keep-days=30"}, "20:s 5:c"},
        Retention{"OnlyFoldersWithOurEndedRecord", "40:n 30:L 20:l 10:c", {"--keep-runs", "1"}, "40:n 30:L 20:l"},
        // The clock was set back: the completed backup ahead of it is the newest.
        Retention{"NewestCompletedSurvives", "-400:c 10:c", {"--keep-runs", "1", "--keep-days", "1"}, "-400:c"}),
    [](const testing::TestParamInfo<Retention>& info) { return std::string(info.param.name); });

// The limits given are stored for the next runs; --list marks what the next completed run would
// remove and --dry-run prints it, both removing nothing.
TEST_F(BackupCommand, StoredLimitsArePreviewedWithoutRemoval) {
    fs::create_directories(destination);
    ASSERT_EQ(Run({"--keep-runs", "0", "--keep-days", "30", source, destination}).status, 0);
    // Moved to a time of its own: a listing in the run's second would take it for the next run.
    fs::rename(destination + "/" + ListFolder(destination)[0], destination + "/20000102_000000");
    fs::create_directories(destination + "/20000101_000000/.quillmere");
    WriteFile(destination + "/20000101_000000/.quillmere/run.ini", "[Run]\nOutcome=failed\n");
    EXPECT_NE(Stored().find("KeepRuns=0\nKeepDays=30\n"), std::string::npos) << Stored();

    const Outcome dry = Run({"--dry-run"});
    const Outcome list = Run({"--list", "--keep-days", "0", "--keep-runs", "1"});

    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out, destination + "/20000101_000000\n" + destination + "/20000102_000000\n");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out,
              "20000101_000000  失敗  0 ファイル  0 バイト  (固有 0 バイト  共有 0 バイト)  次回削除\n"
              "20000102_000000  完了  1 ファイル  4 バイト  (固有 4 バイト  共有 0 バイト)  次回削除\n");
    EXPECT_EQ(ListFolder(destination).size(), 2U);
}

// What cannot be removed (an immutable file, a file system mounted inside) stays with its record,
// marked as partly removed, and the completed run says so in its status. Needs root.
TEST_F(BackupCommand, RemovalThatFailsIsReportedAndMarked) {
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        GTEST_SKIP() << "needs root";
    }
    const std::string immutable = destination + "/20000101_000000";
    const std::string mounted = destination + "/20000102_000000";
    for (const std::string& old : {immutable, mounted}) {
        fs::create_directories(old + "/sub");
        fs::create_directories(old + "/.quillmere");
        WriteFile(old + "/.quillmere/run.ini", "[Run]\nOutcome=completed\n");
    }
    WriteFile(immutable + "/sub/kept.jra", "odds");
    if (std::system(("chattr +i " + Quoted(immutable + "/sub/kept.jra")).c_str()) != 0) GTEST_SKIP() << "no chattr";
    fs::create_directories(folder / "outside");
    WriteFile(folder / "outside/theirs.jra", "theirs");
    ASSERT_EQ(::mount((folder / "outside").c_str(), (mounted + "/sub").c_str(), nullptr, MS_BIND, nullptr), 0);

    const Outcome outcome = Run({"--keep-runs", "1", source, destination});

    (void)std::system(("chattr -i " + Quoted(immutable + "/sub/kept.jra")).c_str());
    (void)::umount((mounted + "/sub").c_str());
    EXPECT_EQ(outcome.status, 7) << outcome.err;
    EXPECT_NE(outcome.err.find("古いバックアップを削除できませんでした。\n" + immutable + "/sub/kept.jra: "),
              std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find(mounted + "/sub: 別のファイルシステム"), std::string::npos) << outcome.err;
    EXPECT_EQ(ListFolder(folder / "outside"), std::vector<std::string>{"theirs.jra"});
    for (const std::string& old : {immutable, mounted}) {
        EXPECT_NE(ReadFile(old + "/.quillmere/run.ini").find("Removal=partial\n"), std::string::npos);
    }
    const std::string listed = Run({"--list"}).out;
    EXPECT_NE(listed.find("20000101_000000  完了  0 ファイル  0 バイト  (固有 "), std::string::npos) << listed;
    EXPECT_NE(listed.find(")  一部削除済み  次回削除\n"), std::string::npos) << listed;
}

TEST_F(BackupCommand, HelpAndVersionPrintOnStandardOutputOnly) {
    const Outcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.out.find("quillmere-backup [--yes]"), std::string::npos);
    EXPECT_NE(outcome.out.find("4  SIGINT"), std::string::npos);
    EXPECT_NE(outcome.out.find("6  "), std::string::npos);
    EXPECT_NE(outcome.out.find("7  "), std::string::npos);

    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("quillmere-backup \\(Quillmere\\) [0-9.]+\n"))) << version.out;
    EXPECT_EQ(Run({"--version"}, ">/dev/full").status, 5);
}

}  // namespace
}  // namespace quillmere::test
