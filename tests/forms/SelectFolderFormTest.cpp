// The folder dialog's logic: what ShowDialog answers and leaves in the caller's text after each
// sequence of closings, where the lists open when the folder handed in cannot be opened, and the
// fall-back from a volume that cannot be read.
#include <gtest/gtest.h>

#include "forms/SelectFolderForm.h"
#include "tests/forms/FakeViews.h"
#include "tests/support/FakePlatform.h"

namespace quillmere::test {
namespace {

using Log = std::vector<std::string>;

enum class Close { Ok, Cancel, CloseBox };

struct ShowingRow {
    const char* name;
    std::vector<Close> closings;  // one showing each, on the same form
    const char* open;             // the folder open in the list when the dialog closes
    std::vector<DialogResult> results;
    bool lastReplacesTheFolder;  // the caller's text after the last showing is open
};

class ShowDialogTest : public ::testing::TestWithParam<ShowingRow> {};

TEST_P(ShowDialogTest, AnswersAndChangesTheCallersTextOnlyAsTheClosingAllows) {
    Log log;
    FakePlatform ops(log);
    SelectFolderForm form(ops);
    std::string folder;
    std::vector<DialogResult> results;
    for (const Close close : GetParam().closings) {
        FakeSelectFolderView view(log, form);
        view.act = [&](SelectFolderForm& f, FakeSelectFolderView& v) {
            v.path = GetParam().open;
            if (close == Close::Ok) f.btnOK_Click(v);
            if (close == Close::Cancel) f.btnCancel_Click(v);
        };
        folder = "/start";
        results.push_back(form.ShowDialog(view, folder));
    }
    EXPECT_EQ(results, GetParam().results);
    EXPECT_EQ(folder, GetParam().lastReplacesTheFolder ? GetParam().open : "/start");
}

INSTANTIATE_TEST_SUITE_P(
    Closings, ShowDialogTest,
    ::testing::Values(ShowingRow{"Ok", {Close::Ok}, "/start/child", {1}, true},
                      ShowingRow{"Cancel", {Close::Cancel}, "/start/child", {2}, false},
                      ShowingRow{"CloseBoxFirst", {Close::CloseBox}, "/start/child", {0}, false},
                      ShowingRow{"CloseBoxAfterOk", {Close::Ok, Close::CloseBox}, "/start/child", {1, 1}, false},
                      ShowingRow{
                          "CloseBoxAfterCancel", {Close::Cancel, Close::CloseBox}, "/start/child", {2, 2}, false},
                      ShowingRow{"OkAfterCancel", {Close::Cancel, Close::Ok}, "/start/child", {2, 1}, true},
                      // A list that could open no folder at all must not hand back an empty text.
                      ShowingRow{"OkWithNoFolderOpen", {Close::Ok}, "", {1}, false}),
    [](const auto& info) { return std::string(info.param.name); });

using Act = std::function<void(SelectFolderForm&, FakeSelectFolderView&)>;

struct HandlerRow {
    const char* name;
    const char* open;  // the folder open in the directory list
    Act act;
    Log log;
};

class HandlerTest : public ::testing::TestWithParam<HandlerRow> {};

// The drive list is on a volume that cannot be read, as is the folder "/gone".
TEST_P(HandlerTest, CallsTheListsAndReportsAsTheRowSays) {
    Log log;
    FakePlatform ops(log);
    SelectFolderForm form(ops);
    FakeSelectFolderView view(log, form);
    view.drive = "/media/usb";
    view.unreadable = {"/media/usb", "/gone"};
    view.path = GetParam().open;
    GetParam().act(form, view);
    EXPECT_EQ(log, GetParam().log);
}

const Act kDriveChange = [](SelectFolderForm& form, FakeSelectFolderView& view) { form.drvList_Change(view); };

INSTANTIATE_TEST_SUITE_P(Handlers, HandlerTest,
                         ::testing::Values(
                             // Both lists are tried with the text handed in, whatever the first did, and silently.
                             HandlerRow{"LoadPassesOverAFolderThatCannotBeOpened",
                                        "/home",
                                        [](SelectFolderForm& form, FakeSelectFolderView& view) {
                                            std::string folder = "/gone";
                                            form.ShowDialog(view, folder);
                                        },
                                        {"drive /gone", "path /gone"}},
                             HandlerRow{"AnUnreadableVolumeGoesBackToTheOpenFolder",
                                        "/home/me",
                                        kDriveChange,
                                        {"path /media/usb", "drive /home/me"}},
                             // The working folder has gone: no volume to go back to.
                             HandlerRow{"AnUnreadableVolumeWithNoFolderOpen", "", kDriveChange, {"path /media/usb"}},
                             HandlerRow{"AFolderTheUserCannotOpenIsReported",
                                        "/home",
                                        [](SelectFolderForm& form, FakeSelectFolderView&) {
                                            form.dirList_OpenFailed("/root: denied");
                                        },
                                        {"prompt 48 [-] /root: denied"}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere::test
