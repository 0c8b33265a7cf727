// The folder dialog: what ShowDialog answers and leaves in the caller's text for each key and
// button that closes it, where the lists open, the fall-back from a volume that cannot be read, and the
// directory list's own rules (open versus highlighted, a folder that cannot be opened).
#include <QPushButton>
#include <QScrollBar>
#include <QWindow>

#include <filesystem>

#include "app/DirectoryList.h"
#include "app/DriveList.h"
#include "app/MountedVolumes.h"
#include "app/Twips.h"
#include "app/frmSelectFolder.h"
#include "tests/app/WindowTest.h"
#include "tests/support/FailureOf.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

// The ...InOpenList closings press the key first in the open volume list, then in the dialog.
enum class Close { Ok, Enter, Cancel, Escape, CloseBox, EnterInOpenList, EscapeInOpenList };

class frmSelectFolderTest : public WindowTest {
protected:
    frmSelectFolderTest() {
        std::filesystem::create_directories(temp.Path() / "start" / "child");
        std::filesystem::create_directories(temp.Path() / "working");
        volumes.working = Q(temp / "working");
    }

    static QString Q(const std::string& text) { return QString::fromStdString(text); }

    // Shows the dialog at folder; inside it, act runs first and then the dialog is closed as given.
    DialogResult Show(
        frmSelectFolder& dialog, QString& folder, Close close,
        const std::function<void(QWidget&)>& act = [](QWidget&) {}) {
        bool seen = false;
        OnNextModal(
            [&](QWidget& window) {
                act(window);
                switch (close) {
                    case Close::Ok: window.findChild<QPushButton*>(QStringLiteral("btnOK"))->click(); break;
                    case Close::Cancel: window.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click(); break;
                    case Close::Enter: QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); break;
                    case Close::Escape: QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); break;
                    case Close::CloseBox: window.close(); break;
                    case Close::EnterInOpenList:
                    case Close::EscapeInOpenList: PressInOpenList(window, close); break;
                }
            },
            seen);
        std::string text = folder.toStdString();
        const DialogResult result = dialog.ShowDialog(text);
        folder = QString::fromStdString(text);
        EXPECT_TRUE(seen);
        return result;
    }

    // The first press only closes the list (Enter picks the volume already selected); the dialog
    // and its folder stay as they were. A desktop then hands the keyboard back to the dialog.
    static void PressInOpenList(QWidget& window, Close close) {
        const Qt::Key key = close == Close::EnterInOpenList ? Qt::Key_Return : Qt::Key_Escape;
        DriveList& drives = Drives(window);
        const QString folder = Dirs(window).Path();
        QTest::keyClick(&drives, Qt::Key_F4);
        ASSERT_TRUE(drives.view()->isVisible());
        QTest::keyClick(drives.view()->window()->windowHandle(), key);
        ASSERT_TRUE(window.isVisible());
        EXPECT_FALSE(drives.view()->isVisible());
        EXPECT_EQ(Dirs(window).Path(), folder);
        QApplication::setActiveWindow(&window);
        QTest::keyClick(window.windowHandle(), key);
    }

    static DirectoryList& Dirs(QWidget& window) { return *window.findChild<DirectoryList*>(QStringLiteral("dirList")); }
    static DriveList& Drives(QWidget& window) { return *window.findChild<DriveList*>(QStringLiteral("drvList")); }

    // Opens "child" below the open folder as the user does, with a double click.
    static void OpenChild(QWidget& window) {
        DirectoryList& list = Dirs(window);
        const auto items = list.findItems(QStringLiteral("child"), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        // A double click is a press followed by the double-click event on the same row.
        const QPoint row = list.visualItemRect(items[0]).center();
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row);
    }

    TempFolder temp;
};

struct ShowingRow {
    const char* name;
    std::vector<Close> closings;        // one showing each, on the same dialog object
    std::vector<DialogResult> results;  // what each ShowDialog answered
    bool lastReplacesTheFolder;         // the caller's text after the last showing is start/child
};

class ShowDialogTableTest : public frmSelectFolderTest, public ::testing::WithParamInterface<ShowingRow> {};

// Every showing opens at start and the user navigates into start/child before closing.
TEST_P(ShowDialogTableTest, AnswersAndChangesTheCallersTextOnlyAsTheClosingAllows) {
    frmSelectFolder dialog(ops, volumes, nullptr);
    const QString start = Q(temp / "start");
    QString folder;
    std::vector<DialogResult> results;
    for (const Close close : GetParam().closings) {
        folder = start;
        results.push_back(Show(dialog, folder, close, [](QWidget& window) { OpenChild(window); }));
    }
    EXPECT_EQ(results, GetParam().results);
    EXPECT_EQ(folder, GetParam().lastReplacesTheFolder ? Q(temp / "start/child") : start);
}

INSTANTIATE_TEST_SUITE_P(
    Closings, ShowDialogTableTest,
    ::testing::Values(ShowingRow{"Enter", {Close::Enter}, {1}, true}, ShowingRow{"Escape", {Close::Escape}, {2}, false},
                      ShowingRow{"CloseBoxFirst", {Close::CloseBox}, {0}, false},
                      ShowingRow{"EnterInTheOpenVolumeList", {Close::EnterInOpenList}, {1}, true},
                      ShowingRow{"EscapeInTheOpenVolumeList", {Close::EscapeInOpenList}, {2}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(frmSelectFolderTest, OkReturnsTheOpenFolderNotTheHighlightedSubFolder) {
    frmSelectFolder dialog(ops, volumes, nullptr);
    QString folder = Q(temp / "start/");
    const DialogResult result = Show(dialog, folder, Close::Ok, [](QWidget& window) {
        DirectoryList& list = Dirs(window);
        const auto child = list.findItems(QStringLiteral("child"), Qt::MatchExactly).value(0);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(child).center());
        EXPECT_EQ(list.currentItem(), child);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(folder, Q(temp / "start"));  // the open folder, without the trailing separator
}

TEST_F(frmSelectFolderTest, OpensAtItsFixedPlaceWithTheFocusOnTheDriveList) {
    frmSelectFolder dialog(ops, volumes, nullptr);
    QString folder;
    Show(dialog, folder, Close::Cancel, [](QWidget& window) {
        EXPECT_EQ(window.geometry().topLeft(), QPoint(2760 / 15, 3750 / 15));
        EXPECT_EQ(QApplication::focusWidget(), &Drives(window));
    });
}

class HandedInTest : public frmSelectFolderTest, public ::testing::WithParamInterface<const char*> {};

// The working folder lies on a volume of its own (a separate /home, say), not on "/".
TEST_P(HandedInTest, AFolderThatCannotBeOpenedOpensTheWorkingFolderSilently) {
    volumes.volumes.push_back({Q(temp.Path().string()), QStringLiteral("home")});
    frmSelectFolder dialog(ops, volumes, nullptr);
    QString folder = GetParam() == std::string("missing") ? Q(temp / "gone/away") : QString::fromLatin1(GetParam());
    const QString handedIn = folder;
    Show(dialog, folder, Close::Cancel, [&](QWidget& window) {
        EXPECT_EQ(Dirs(window).Path(), Q(temp / "working"));
        EXPECT_EQ(Drives(window).currentIndex(), 1);
    });
    EXPECT_EQ(folder, handedIn);
    EXPECT_TRUE(log.empty());  // no message
}

INSTANTIATE_TEST_SUITE_P(Texts, HandedInTest, ::testing::Values("", "missing", "relative/folder", "  "),
                         [](const auto& info) { return "Row" + std::to_string(info.index); });

// A volume without a medium: its root does not exist. Choosing it, or handing in a folder on it,
// puts the drive list back on the volume of the open folder, at that volume's start folder.
TEST_F(frmSelectFolderTest, AVolumeThatCannotBeReadFallsBackToTheVolumeOfTheOpenFolder) {
    volumes.volumes.push_back({Q(temp / "no-medium"), QStringLiteral("USB")});
    frmSelectFolder dialog(ops, volumes, nullptr);
    QString folder = Q(temp / "start");
    Show(dialog, folder, Close::Cancel, [&](QWidget& window) {
        Dirs(window).SetPath(Q(temp / "start/child"));
        Drives(window).setCurrentIndex(1);
        EXPECT_EQ(Drives(window).currentIndex(), 0);
        EXPECT_EQ(Dirs(window).Path(), Q(temp / "working"));
    });
    folder = Q(temp / "no-medium/odds");
    Show(dialog, folder, Close::Cancel, [&](QWidget& window) {
        EXPECT_EQ(Drives(window).currentIndex(), 0);
        EXPECT_EQ(Dirs(window).Path(), Q(temp / "working"));
    });
    EXPECT_TRUE(log.empty());
}

TEST_F(frmSelectFolderTest, HiddenSubFoldersAreListedInNameOrder) {
    std::filesystem::create_directories(temp.Path() / "start" / ".wine" / "drive_c");
    std::filesystem::create_directories(temp.Path() / "start" / "Backup");
    DirectoryList list(Q(temp / "start"));
    QStringList subFolders;
    for (int row = list.row(list.currentItem()) + 1; row < list.count(); ++row) subFolders << list.item(row)->text();
    EXPECT_EQ(subFolders.join(QLatin1Char(' ')).toStdString(), ".wine Backup child");
}

// At the dialog's size a row 62 folders deep starts far right of the visible part: the scroll bar
// reaches the end of every row's name, no row is cut short, and its tool tip is its full path.
TEST_F(frmSelectFolderTest, EveryRowOfADeepFolderIsReachableWholeAndTipsItsFullPath) {
    std::filesystem::path deep = temp.Path();
    for (int depth = 1; depth <= 62; ++depth) deep /= "フォルダ" + std::to_string(depth);
    std::filesystem::create_directories(deep / "末端の フォルダ");
    DirectoryList list(Q(deep.string()));
    list.setGeometry(Twips::Rect(240, 540, 2235, 2400));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const int reach = list.horizontalScrollBar()->maximum() + list.viewport()->width();
    const QFontMetrics metrics(list.font());
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem* item = list.item(row);
        SCOPED_TRACE(item->text().toStdString());
        const int depth = std::min(row, list.row(list.currentItem()) + 1);
        const int end = 8 * depth + metrics.horizontalAdvance(item->text());
        EXPECT_GE(reach, end);
        EXPECT_GE(list.visualItemRect(item).width(), end);
    }
    EXPECT_EQ(list.item(0)->toolTip(), QStringLiteral("/"));
    EXPECT_EQ(list.currentItem()->toolTip(), Q(deep.string()));
    EXPECT_EQ(list.item(list.count() - 1)->toolTip(), Q(deep / "末端の フォルダ"));
}

// Every folder from the root down to the open one is a row of its own; a name ending in ":" is an
// ordinary folder, not a drive's root that would cut the chain short.
TEST_F(frmSelectFolderTest, TheChainListsEveryFolderFromTheRootDown) {
    const std::filesystem::path open = temp.Path() / "C:" / "data:";
    std::filesystem::create_directories(open);
    DirectoryList list(Q(open.string()));
    QStringList chain;
    for (int row = 0; row <= list.row(list.currentItem()); ++row) chain << list.item(row)->toolTip();
    QStringList expected{Q(open.string())};
    for (std::filesystem::path folder = open; folder != folder.root_path();) {
        folder = folder.parent_path();
        expected.prepend(Q(folder.string()));
    }
    EXPECT_EQ(chain.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
    EXPECT_EQ(list.Path(), Q(open.string()));
}

TEST_F(frmSelectFolderTest, AFolderTheListCannotOpenIsReportedAndTheListStaysAsItWas) {
    DirectoryList list(Q(temp / "start"));
    const int rows = list.count();
    const std::string failure = FailureOf([&] { list.SetPath(Q(temp / "start/missing")); });
    EXPECT_EQ(failure, (temp / "start/missing") + ": No such file or directory");
    EXPECT_EQ(list.Path(), Q(temp / "start"));
    EXPECT_EQ(list.count(), rows);
}

// The Wine drives are among the volumes, each at its folder; one that leads nowhere, or to a volume
// already listed (Z: to "/"), is not.
TEST_F(frmSelectFolderTest, TheWineDrivesAreListedAmongTheVolumes) {
    std::filesystem::create_directories(temp.Path() / "prefix/dosdevices");
    std::filesystem::create_directories(temp.Path() / "prefix/drive_c");
    std::filesystem::create_symlink("../drive_c", temp.Path() / "prefix/dosdevices/c:");
    std::filesystem::create_symlink("../missing", temp.Path() / "prefix/dosdevices/d:");
    std::filesystem::create_symlink("/", temp.Path() / "prefix/dosdevices/z:");
    ScopedVariable prefix("WINEPREFIX", temp / "prefix");
    const QString driveC = Q(std::filesystem::canonical(temp.Path() / "prefix/drive_c").string());
    QStringList wine;
    for (const Volume& volume : MountedVolumes().Volumes()) {
        if (volume.label.endsWith(QStringLiteral("(Wine)"))) wine << volume.label + QLatin1Char('=') + volume.root;
    }
    EXPECT_EQ(wine, QStringList{QStringLiteral("C: (Wine)=") + driveC});
}

}  // namespace
}  // namespace quillmere::test
