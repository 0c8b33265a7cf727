// The record of a run: its text keeps any value whole, and the system's record folder tells a
// live run from one that ended, on each system.
#include "backup/RunRecord.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <filesystem>

#include "backup/RunHistory.h"
#include "tests/support/NativePath.h"
#include "tests/support/RealFilesPlatform.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

struct HostileValue {
    const char* name;
    std::string value;
};

class RunRecordText : public testing::TestWithParam<HostileValue> {};

// Every text field of a record holds the value; it reads back the same, and the record stays
// one line per key.
TEST_P(RunRecordText, RoundTripsAnyValue) {
    const std::string& value = GetParam().value;
    const RunRecord record{RunOutcome::Failed, value, value, value, 12, 3456789, value, value, value, value};

    const std::string text = record.Format();
    const std::optional<RunRecord> read = RunRecord::Parse(text);

    ASSERT_TRUE(read) << text;
    EXPECT_EQ(read->outcome, RunOutcome::Failed);
    for (const std::string* field : {&read->failure, &read->started, &read->ended, &read->source, &read->destination,
                                     &read->fileType, &read->version}) {
        EXPECT_EQ(*field, value);
    }
    EXPECT_EQ(read->files, 12U);
    EXPECT_EQ(read->bytes, 3456789U);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
}

INSTANTIATE_TEST_SUITE_P(, RunRecordText,
                         testing::Values(HostileValue{"Empty", ""},
                                         HostileValue{"LineBreaks", "a\nOutcome=completed\r\nb\r"},
                                         HostileValue{"EqualsSigns", "=x=y="},
                                         HostileValue{"Backslashes", "C:\\n\\\\r\\"},
                                         HostileValue{"SpacesAndTabs", "  a\tb  "},
                                         HostileValue{"NonAscii", "D:\\バックアップ\\競馬 データ\xE3\x80\x80"},
                                         HostileValue{"Nul", std::string("a\0b", 3)}),
                         [](const testing::TestParamInfo<HostileValue>& info) { return std::string(info.param.name); });

TEST(RunRecordParse, TextWithoutAKnownOutcomeOrWithABadCountIsNoRecord) {
    EXPECT_FALSE(RunRecord::Parse("[Run]\nFiles=1\n"));
    EXPECT_FALSE(RunRecord::Parse("[Run]\nOutcome=done\n"));
    EXPECT_FALSE(RunRecord::Parse("[Run]\nOutcome=completed\nFiles=-1\n"));
    EXPECT_EQ(RunRecord::Parse("[Run]\r\nOutcome=stopped\r\nNewer=1\r\n")->outcome, RunOutcome::Stopped);
}

// The live run holds its record until its last write; the listing takes stamp folders only.
TEST(RunRecordFolder, TellsALiveRunFromAnEndedOneAndListsStampFoldersOnly) {
    TempFolder folder;
    std::vector<std::string> log;
    RealFilesPlatform ops(log, folder / "settings");
    const std::string destination = folder / "dst";
    const std::string stamp = Native(folder / "dst/20261209_101500");
    for (const char* other : {"dst/20261209_1015", "dst/20261208_090000"}) {
        std::filesystem::create_directories(FsPath(Native(folder / other)));
    }
    WriteFile(Native(folder / "dst/20261207_090000"), "a file");
    std::filesystem::create_directories(FsPath(stamp));
#ifndef _WIN32
    std::filesystem::create_directory_symlink(stamp, folder / "dst/20261210_000000");  // a link is no stamp folder
#endif

    ops.WriteRunRecord(stamp, "[Run]\nOutcome=running\n", true);
    const std::optional<StoredRunRecord> running = ops.ReadRunRecord(stamp);
    const std::vector<RunHistory::PastRun> whileRunning = RunHistory::List(ops, destination);
    ops.WriteRunRecord(stamp, "[Run]\nOutcome=completed\nFiles=3\n", false);
    const std::optional<StoredRunRecord> ended = ops.ReadRunRecord(stamp);
    const std::vector<RunHistory::PastRun> runs = RunHistory::List(ops, destination);

    ASSERT_TRUE(running && ended);
#ifdef _WIN32
    // Hidden as a name with a leading "." is elsewhere, so nobody takes it for a backed-up file.
    EXPECT_NE(::GetFileAttributesW(FsPath(stamp + "\\.quillmere").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0U);
#endif
    EXPECT_TRUE(running->live);
    EXPECT_EQ(running->text, "[Run]\nOutcome=running\n");
    EXPECT_FALSE(ended->live);
    EXPECT_EQ(ended->text, "[Run]\nOutcome=completed\nFiles=3\n");
    ASSERT_EQ(whileRunning.size(), 2U);
    EXPECT_EQ(whileRunning[1].state, RunHistory::RunState::Running);
    ASSERT_EQ(runs.size(), 2U);
    EXPECT_EQ(runs[0].stamp + " " + runs[1].stamp, "20261208_090000 20261209_101500");
    EXPECT_EQ(runs[0].state, RunHistory::RunState::NoRecord);
    EXPECT_EQ(runs[1].state, RunHistory::RunState::Completed);
    EXPECT_EQ(runs[1].files, 3U);
}

}  // namespace
}  // namespace quillmere::test
