// The INI settings file: the exact text it writes, what it reads back, what it keeps of lines it
// does not know, and what it leaves on disk when a write cannot be completed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/PlatformOps.h"
#include "platform/posix/SettingsFile.h"
#include "tests/support/FailureOf.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public testing::Test {
protected:
    std::string Text() const { return ReadFile(path); }
    std::string Read(const std::string& section, const std::string& key) const {
        return SettingsFile(path).Read(section, key, "<default>");
    }

    TempFolder dir;
    const std::string path = dir / "Quillmere/Quillmere.conf";
    SettingsFile file{path};
};

TEST_F(SettingsFileTest, WritesTheDocumentedLayout) {
    file.Write("MainWindow", "Left", "1000");
    file.Write("MainWindow", "Top", "1000");
    // Several keys in one write make the section, then each key in order.
    file.Write("LastExec",
               {{"SrcFolder", "C:\\Program Files\\Pat98"}, {"DstFolder", "/home/me/backup"}, {"FileType", "*.jra"}});
    file.Write("MainWindow", "Left", "-120");

    EXPECT_EQ(Text(),
              "[MainWindow]\n"
              "Left=-120\n"
              "Top=1000\n"
              "\n"
              "[LastExec]\n"
              "SrcFolder=C:\\Program Files\\Pat98\n"
              "DstFolder=/home/me/backup\n"
              "FileType=*.jra\n");
}

struct ValueCase {
    std::string name;
    std::string value;
    std::string stored;  // the text after "Key="
};

const ValueCase kValueCases[] = {
    {"Plain", "/home/me/backup", "/home/me/backup"},
    {"Empty", "", ""},
    {"SpacesAreKept", "  padded  ", "  padded  "},
    {"BackslashesAreNotEscaped", "C:\\Program Files\\Pat98\\", "C:\\Program Files\\Pat98\\"},
    {"EqualsSignsAreKept", "a=b=c", "a=b=c"},
    {"CommentCharactersInsideAValue", "a;b#c", "a;b#c"},
    {"Japanese", "/home/me/バックアップ 先", "/home/me/バックアップ 先"},
    {"QuoteInsideIsNotEscaped", "say \"hi\"", "say \"hi\""},
    {"LeadingQuoteIsQuoted", "\"quoted\"", "\"\\\"quoted\\\"\""},
    {"LineBreakIsQuoted", "one\ntwo", "\"one\\ntwo\""},
    {"CarriageReturnIsQuoted", "one\rtwo", "\"one\\rtwo\""},
    {"TabIsQuoted", "a\tb", "\"a\\tb\""},
    {"BackslashInAQuotedValueIsEscaped", "C:\\new\nline", "\"C:\\\\new\\nline\""},
    {"InvalidUtf8IsKeptAsBytes", "bad\xFF", "bad\xFF"},
};

class SettingsValueTest : public SettingsFileTest, public testing::WithParamInterface<ValueCase> {};

TEST_P(SettingsValueTest, IsStoredAndReadBack) {
    const ValueCase& c = GetParam();
    file.Write("LastExec", "DstFolder", c.value);
    EXPECT_EQ(Text(), "[LastExec]\nDstFolder=" + c.stored + "\n");
    EXPECT_EQ(Read("LastExec", "DstFolder"), c.value);
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, SettingsValueTest, testing::ValuesIn(kValueCases),
                         [](const testing::TestParamInfo<ValueCase>& info) { return info.param.name; });

struct ReadCase {
    std::string name;
    std::string text;
    std::string section;
    std::string key;
    std::string expected;
};

const ReadCase kReadCases[] = {
    {"AbsentKeyGivesTheDefault", "[MainWindow]\nLeft=1\n", "MainWindow", "Top", "<default>"},
    {"AbsentSectionGivesTheDefault", "[MainWindow]\nLeft=1\n", "LastExec", "Left", "<default>"},
    {"EmptyValueIsNotTheDefault", "[LastExec]\nFileType=\n", "LastExec", "FileType", ""},
    {"KeyOfAnotherSectionIsNotTaken", "[Other]\nLeft=5\n[MainWindow]\nTop=1\n", "MainWindow", "Left", "<default>"},
    {"NamesIgnoreAsciiCase", "[mainwindow]\nLEFT=7\n", "MainWindow", "Left", "7"},
    {"BlanksAroundTheKeyAreIgnored", "[MainWindow]\n  Left\t= 7\n", "MainWindow", "Left", " 7"},
    {"FirstOfTwoKeysWins", "[MainWindow]\nLeft=1\nLeft=2\n", "MainWindow", "Left", "1"},
    {"SectionMayComeTwice", "[MainWindow]\nLeft=1\n[LastExec]\n[MainWindow]\nTop=2\n", "MainWindow", "Top", "2"},
    {"WindowsLineEnds", "[MainWindow]\r\nLeft=1000\r\n", "MainWindow", "Left", "1000"},
    {"ByteOrderMark", "\xEF\xBB\xBF[MainWindow]\nLeft=3\n", "MainWindow", "Left", "3"},
    {"NoLineEndAtTheEnd", "[MainWindow]\nLeft=4", "MainWindow", "Left", "4"},
    {"CommentIsNoKey", "[MainWindow]\n;Left=1\n#Left=2\n", "MainWindow", "Left", "<default>"},
    {"UnclosedQuoteIsTakenAsWritten", "[LastExec]\nFileType=\"*.jra\n", "LastExec", "FileType", "\"*.jra"},
    {"TextAfterTheClosingQuoteIsTakenAsWritten", "[LastExec]\nFileType=\"a\" b\n", "LastExec", "FileType", "\"a\" b"},
    {"UnknownEscapeIsKept", "[LastExec]\nFileType=\"a\\qb\"\n", "LastExec", "FileType", "a\\qb"},
    {"BinaryGarbageGivesTheDefault", std::string("\x00\x01\xFF[\x80\n=\n\n]]", 12), "MainWindow", "Left", "<default>"},
    {"KeyBeforeAnySectionIsNotTaken", "Left=9\n[MainWindow]\n", "MainWindow", "Left", "<default>"},
};

class SettingsReadTest : public SettingsFileTest, public testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsReadTest, Reads) {
    const ReadCase& c = GetParam();
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, c.text);
    EXPECT_EQ(Read(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, SettingsReadTest, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST_F(SettingsFileTest, MissingFileAndFolderGiveTheDefaultAndCreateNothing) {
    EXPECT_EQ(Read("MainWindow", "Left"), "<default>");
    EXPECT_FALSE(fs::exists(fs::path(path).parent_path()));
}

TEST_F(SettingsFileTest, HugeLineIsReadWhole) {
    const std::string value(4 << 20, 'v');
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, "[LastExec]\nSrcFolder=" + value + "\nFileType=*.jra\n");
    EXPECT_EQ(Read("LastExec", "SrcFolder"), value);
    EXPECT_EQ(Read("LastExec", "FileType"), "*.jra");
}

// Each row is the file's line end: a file edited on Windows keeps its CR LF.
class SettingsRewriteTest : public SettingsFileTest, public testing::WithParamInterface<std::string> {
protected:
    std::string Ended(const std::string& text) const {
        std::string out;
        for (const char c : text) out += c == '\n' ? GetParam() : std::string(1, c);
        return out;
    }
};

TEST_P(SettingsRewriteTest, KeepsEverythingItDoesNotKnowAndTheLineEnds) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, Ended("; written by hand\n"
                          "[MainWindow]\n"
                          "left = 5\n"
                          "Extra=kept\n"
                          "\n"
                          "# a comment\n"
                          "[Other]\n"
                          "Key=value\n"));
    file.Write("MainWindow", {{"Left", "1000"}, {"Top", "20"}});
    file.Write("LastExec", "FileType", "*.csv");

    EXPECT_EQ(Text(), Ended("; written by hand\n"
                            "[MainWindow]\n"
                            "left =1000\n"
                            "Extra=kept\n"
                            "Top=20\n"
                            "\n"
                            "# a comment\n"
                            "[Other]\n"
                            "Key=value\n"
                            "\n"
                            "[LastExec]\n"
                            "FileType=*.csv\n"));
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, SettingsRewriteTest, testing::Values("\n", "\r\n"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param == "\n" ? std::string("Lf") : std::string("CrLf");
                         });

TEST_F(SettingsFileTest, EveryWriteReadsTheFileAfresh) {
    // Two objects on one file stand for two running copies of the program.
    SettingsFile other(path);
    file.Write("MainWindow", "Left", "1");
    other.Write("MainWindow", "Top", "2");
    file.Write("LastExec", "FileType", "*.txt");
    EXPECT_EQ(Read("MainWindow", "Left"), "1");
    EXPECT_EQ(Read("MainWindow", "Top"), "2");
    EXPECT_EQ(Read("LastExec", "FileType"), "*.txt");
}

TEST_F(SettingsFileTest, WritersInSeveralProcessesLoseNoKey) {
    // Without the lock two writers read the same old file and the second rename drops the
    // first one's key.
    constexpr int kWriters = 6;
    constexpr int kKeysEach = 30;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int key = 0; key < kKeysEach; ++key) {
                try {
                    SettingsFile(path).Write("Keys", "W" + std::to_string(writer) + "K" + std::to_string(key), "v");
                } catch (...) {
                    ++failures;
                }
            }
            ::_exit(failures);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int key = 0; key < kKeysEach; ++key) {
            const std::string name = "W" + std::to_string(writer) + "K" + std::to_string(key);
            EXPECT_EQ(Read("Keys", name), "v") << name;
        }
    }
}

TEST_F(SettingsFileTest, NewFileIsPrivateAndAnExistingFileKeepsItsMode) {
    file.Write("MainWindow", "Left", "1");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(fs::path(path).parent_path()).permissions(), fs::perms(0700));

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    file.Write("MainWindow", "Left", "2");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
}

TEST_F(SettingsFileTest, LinkedFileStaysALinkAndItsTargetIsUpdated) {
    const std::string real = dir / "dotfiles/Quillmere.conf";
    fs::create_directories(dir.Path() / "dotfiles");
    WriteFile(real, "[MainWindow]\nLeft=1\n");
    fs::create_directories(fs::path(path).parent_path());
    fs::create_symlink(real, path);

    file.Write("MainWindow", "Left", "2");

    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadFile(real), "[MainWindow]\nLeft=2\n");
}

TEST_F(SettingsFileTest, FolderInPlaceOfTheFileIsReportedWithPathAndReason) {
    fs::create_directories(path);
    const std::string expected = path + ": Is a directory";
    EXPECT_EQ(FailureOf([&] { Read("MainWindow", "Left"); }), expected);
    EXPECT_EQ(FailureOf([&] { file.Write("MainWindow", "Left", "1"); }), expected);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(ListFolder(fs::path(path).parent_path()), std::vector<std::string>{"Quillmere.conf"});
}

TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    file.Write("LastExec", "SrcFolder", "/old");
    const std::string before = Text();

    // A file-size limit below the new file's size makes the write fail half-way, as a full
    // disk would.
    std::string failure;
    {
        const FileSizeLimit limit(64);
        failure = FailureOf([&] { file.Write("LastExec", "SrcFolder", std::string(200, 'n')); });
    }
    EXPECT_EQ(failure, path + ": File too large");
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(ListFolder(fs::path(path).parent_path()), std::vector<std::string>{"Quillmere.conf"});
}

TEST_F(SettingsFileTest, FolderThatCannotBeCreatedIsReported) {
    WriteFile(dir / "blocker", "a file where the folder should be");
    SettingsFile blocked(dir / "blocker/Quillmere.conf");
    EXPECT_EQ(FailureOf([&] { blocked.Write("MainWindow", "Left", "1"); }), (dir / "blocker") + ": Not a directory");
}

TEST(SettingsFileLocation, FollowsXdgConfigHomeThenHome) {
    const auto restore = [](const char* name, const char* saved) {
        saved ? ::setenv(name, saved, 1) : ::unsetenv(name);
    };
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome ? savedHome : "";

    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("HOME", "/home/me", 1);
    EXPECT_EQ(SettingsFile::LocationFor("Quillmere"), "/cfg/Quillmere/Quillmere.conf");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(SettingsFile::LocationFor("Quillmere"), "/home/me/.config/Quillmere/Quillmere.conf");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFile::LocationFor("Other"), "/home/me/.config/Other/Other.conf");
    EXPECT_THROW(SettingsFile::LocationFor("../escape"), PlatformError);

    restore("XDG_CONFIG_HOME", savedXdg ? xdg.c_str() : nullptr);
    restore("HOME", savedHome ? home.c_str() : nullptr);
}

}  // namespace
}  // namespace quillmere::test
