// The main window's logic: what it opens with for each state of the settings store, what closing
// stores, and how a browse button hands its row's text to the folder dialog and back.
#include <gtest/gtest.h>

#include <map>

#include "forms/MainForm.h"
#include "tests/forms/FakeViews.h"
#include "tests/support/FakePlatform.h"

namespace quillmere::test {
namespace {

using Log = std::vector<std::string>;

const Log kReads = {"read Quillmere:MainWindow:Left", "read Quillmere:MainWindow:Top",
                    "read Quillmere:LastExec:SrcFolder", "read Quillmere:LastExec:DstFolder",
                    "read Quillmere:LastExec:FileType"};

Log Join(Log first, const Log& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const std::array<std::string, 3> kDefaults = {"C:\\Program Files\\Pat98", "C:\\Program Files\\Pat98", "*.jra"};
const char kUnreadable[] = "prompt 0 [-] 設定を読み込めませんでした。既定の値で始めます。\n/cfg: Permission denied";

struct LoadRow {
    const char* name;
    std::map<std::string, std::string> store;
    Log log;
    std::array<std::string, 3> inputs = kDefaults;
    bool onScreen = true;
    bool positionsWork = true;
    const char* failingRead = nullptr;  // this read throws "/cfg: Permission denied"
};

class MainFormLoadTest : public ::testing::TestWithParam<LoadRow> {};

TEST_P(MainFormLoadTest, ReadsInOrderAndOpensWhereTheStoreSaysWithTheStoredInputsUntrimmed) {
    const LoadRow& row = GetParam();
    Log log;
    FakePlatform ops(log);
    FakeMainView view(log);
    view.onScreen = row.onScreen;
    view.positionsWork = row.positionsWork;
    for (const auto& [key, value] : row.store) ops.settings["Quillmere:" + key] = value;
    if (row.failingRead) ops.failures[row.failingRead] = "/cfg: Permission denied";
    MainForm(ops, view).Form_Load();
    EXPECT_EQ(log, row.log);
    EXPECT_EQ(view.inputs, row.inputs);
}

const std::map<std::string, std::string> kElsewhere = {{"MainWindow:Left", "3000"}, {"LastExec:FileType", "*.csv"}};

INSTANTIATE_TEST_SUITE_P(Stores, MainFormLoadTest,
                         ::testing::Values(LoadRow{"Empty", {}, Join(kReads, {"move 1000 1000"})},
                                           LoadRow{"Filled",
                                                   {{"MainWindow:Left", "3000"},
                                                    {"MainWindow:Top", "1500"},
                                                    {"LastExec:SrcFolder", "  /data/odds "},
                                                    {"LastExec:DstFolder", "/backup/オッズ"},
                                                    {"LastExec:FileType", "zo*.jra"}},
                                                   Join(kReads, {"move 3000 1500"}),
                                                   {"  /data/odds ", "/backup/オッズ", "zo*.jra"}},
                                           LoadRow{"OffEveryScreenOpensAtTheDefault",
                                                   kElsewhere,
                                                   Join(kReads, {"move 1000 1000"}),
                                                   {kDefaults[0], kDefaults[1], "*.csv"},
                                                   false},
                                           LoadRow{"PositionsThatDoNotWorkAreNotRestored",
                                                   kElsewhere,
                                                   kReads,
                                                   {kDefaults[0], kDefaults[1], "*.csv"},
                                                   true,
                                                   false},
                                           // Reported once; that value and every later one take their defaults.
                                           LoadRow{"AStoreThatCannotBeRead",
                                                   kElsewhere,
                                                   {kReads[0], kReads[1], kUnreadable, "move 3000 1000"},
                                                   kDefaults,
                                                   true,
                                                   true,
                                                   "read Quillmere:MainWindow:Top"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct UnloadRow {
    const char* name;
    bool minimised;
    bool positionsWork;
    Log log;
};

class MainFormUnloadTest : public ::testing::TestWithParam<UnloadRow> {};

TEST_P(MainFormUnloadTest, StoresThePositionUnlessMinimisedOrUnknown) {
    Log log;
    FakePlatform ops(log);
    FakeMainView view(log);
    view.minimised = GetParam().minimised;
    view.positionsWork = GetParam().positionsWork;
    MainForm(ops, view).Form_Unload();
    EXPECT_EQ(log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    States, MainFormUnloadTest,
    ::testing::Values(UnloadRow{"Normal",
                                false,
                                true,
                                {"write Quillmere:MainWindow:Left=3000", "write Quillmere:MainWindow:Top=1500"}},
                      UnloadRow{"Minimised", true, true, {}}, UnloadRow{"PositionsDoNotWork", false, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A session's end after the copy of a backup was stopped stores what the backup and Quit would
// store, as the program may be ended before the backup's own last steps; idle, what Quit stores.
TEST(MainFormSessionEnd, StoresTheInputsOfAStoppedBackupAndThePosition) {
    Log log;
    FakePlatform ops(log);
    FakeMainView view(log);
    view.inputs = {" /src ", "/dst", "*.jra"};
    MainForm form(ops, view);
    const Log position = {"write Quillmere:MainWindow:Left=3000", "write Quillmere:MainWindow:Top=1500"};
    form.Session_End(false);
    EXPECT_EQ(log, position);
    log.clear();
    form.Session_End(true);
    EXPECT_EQ(log, (Log{"identity /dst", "write Quillmere:LastExec:SrcFolder=/src",
                        "write Quillmere:LastExec:DstFolder=/dst", "write Quillmere:LastExec:FileType=*.jra",
                        "write Quillmere:LastExec:DstVolume=UUID=0123", position[0], position[1]}));
}

struct BrowseRow {
    const char* name;
    int row;
    DialogResult result;
    bool replaced;
};

class MainFormBrowseTest : public ::testing::TestWithParam<BrowseRow> {};

TEST_P(MainFormBrowseTest, TheDialogOpensAtTheRowsTextAndOnlyOkReplacesIt) {
    const BrowseRow& row = GetParam();
    Log log;
    FakePlatform ops(log);
    FakeMainView view(log);
    view.inputs = {" source ", "destination", "*.jra"};
    const auto before = view.inputs;
    view.dialogResult = row.result;
    MainForm(ops, view).btnBrowseFolser_Click(row.row);
    EXPECT_EQ(log, Log{"dialog at " + before[row.row]});
    auto expected = before;
    if (row.replaced) expected[row.row] = "chosen";
    EXPECT_EQ(view.inputs, expected);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, MainFormBrowseTest,
                         ::testing::Values(BrowseRow{"SourceOk", 0, 1, true}, BrowseRow{"DestinationOk", 1, 1, true},
                                           BrowseRow{"SourceCancel", 0, 2, false},
                                           BrowseRow{"DestinationCloseBox", 1, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere::test
