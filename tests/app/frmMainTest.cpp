// The main window: where it opens on the real screens, how it closes and what that stores, Enter
// and Esc, the browse buttons with the real dialog, failures inside its handlers, and a whole
// backup typed and run as a user would.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include <dlfcn.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>

#include "app/DirectoryList.h"
#include "app/frmMain.h"
#include "tests/app/WindowTest.h"
#include "tests/support/RealFilesPlatform.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/TempFolder.h"

// While set, the system starts no thread: std::thread throws std::system_error as it does when
// the process is out of threads. This definition takes the place of the C library's.
std::atomic<bool> g_refuseThreads{false};

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument) noexcept {
    if (g_refuseThreads) return EAGAIN;
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto create = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    return create(thread, attributes, start, argument);
}

namespace quillmere::test {
namespace {

bool Contains(const std::vector<std::string>& log, const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& log, const std::string& prefix) {
    std::vector<std::string> lines;
    std::copy_if(log.begin(), log.end(), std::back_inserter(lines),
                 [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    return lines;
}

class frmMainTest : public WindowTest {
protected:
    static QLineEdit* Folder(QWidget& window, int index) {
        return Find<QLineEdit>(window, index == 0 ? "txtFolder0" : "txtFolder1");
    }

    // Types text key by key; QTest::keyClicks knows only ASCII.
    static void Type(QWidget* widget, const QString& text) {
        for (const QChar ch : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), {});
    }

    static void ShowActive(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

struct LoadRow {
    const char* name;
    const char* left;
    const char* top;
    QPoint position;  // pixels: twips / 15
};

class frmMainLoadTest : public frmMainTest, public ::testing::WithParamInterface<LoadRow> {};

// The stored place is checked against the real screens; the stored inputs show in their controls.
TEST_P(frmMainLoadTest, OpensOnTheScreensWithTheStoredInputsUntrimmed) {
    ops.settings = {{"Quillmere:MainWindow:Left", GetParam().left},
                    {"Quillmere:MainWindow:Top", GetParam().top},
                    {"Quillmere:LastExec:SrcFolder", "  /data/odds "},
                    {"Quillmere:LastExec:DstFolder", "/backup/オッズ"},
                    {"Quillmere:LastExec:FileType", "zo*.jra"}};
    frmMain window(ops, volumes);
    EXPECT_EQ(window.pos(), GetParam().position);
    EXPECT_EQ(Folder(window, 0)->text().toStdString(), "  /data/odds ");
    EXPECT_EQ(Folder(window, 1)->text().toStdString(), "/backup/オッズ");
    EXPECT_EQ(Find<QComboBox>(window, "cmbFileNameFilter")->currentText().toStdString(), "zo*.jra");
    ShowActive(window);
    EXPECT_EQ(QApplication::focusWidget(), Folder(window, 0));
}

// The offscreen screen is 800 x 600 pixels; the window is 407 x 172.
INSTANTIATE_TEST_SUITE_P(Places, frmMainLoadTest,
                         ::testing::Values(LoadRow{"OnScreen", "3000", "1500", {200, 100}},
                                           LoadRow{"PartlyOffScreenIsKept", "-3000", "-600", {-200, -40}},
                                           LoadRow{"WhollyOffScreenOpensAtTheDefault", "90000", "1500", {67, 67}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CloseRow {
    const char* name;
    std::function<void(QWidget&)> close;
    bool minimised;
};

class frmMainCloseTest : public frmMainTest, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(frmMainCloseTest, EveryWayOfClosingStoresThePositionUnlessMinimised) {
    ops.settings["Quillmere:MainWindow:Left"] = "3000";
    ops.settings["Quillmere:MainWindow:Top"] = "1500";
    {
        frmMain window(ops, volumes);
        ShowActive(window);
        if (GetParam().minimised) window.setWindowState(Qt::WindowMinimized);
        log.clear();
        GetParam().close(window);
        EXPECT_FALSE(window.isVisible());
    }
    const std::vector<std::string> stored =
        GetParam().minimised
            ? std::vector<std::string>{}
            : std::vector<std::string>{"write Quillmere:MainWindow:Left=3000", "write Quillmere:MainWindow:Top=1500"};
    EXPECT_EQ(LinesStartingWith(log, "write"), stored);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, frmMainCloseTest,
    ::testing::Values(
        CloseRow{"QuitButton",
                 [](QWidget& w) { QTest::mouseClick(w.findChild<QPushButton*>("btnQuit"), Qt::LeftButton); }, false},
        CloseRow{"EscapeInTheDestination",
                 [](QWidget& w) { QTest::keyClick(w.findChild<QLineEdit*>("txtFolder1"), Qt::Key_Escape); }, false},
        CloseRow{"EscapeInTheFileType",
                 [](QWidget& w) {
                     QTest::keyClick(w.findChild<QComboBox*>("cmbFileNameFilter")->lineEdit(), Qt::Key_Escape);
                 },
                 false},
        CloseRow{"CloseBox", [](QWidget& w) { w.close(); }, false},
        CloseRow{"CloseBoxWhileMinimised", [](QWidget& w) { w.close(); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(frmMainTest, AStoreThatCannotBeWrittenAtCloseIsReportedAndTheWindowStillCloses) {
    ops.failures["write Quillmere:MainWindow:Left=1005"] = "/home/me/.config/Quillmere: Read-only file system";
    frmMain window(ops, volumes);
    ShowActive(window);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(Contains(log, "prompt 0 [-] /home/me/.config/Quillmere: Read-only file system"));
}

struct EnterRow {
    const char* name;
    const char* focus;
    bool runsBackup;
};

class frmMainEnterTest : public frmMainTest, public ::testing::WithParamInterface<EnterRow> {};

// The first check of a run with the default inputs looks for the source folder, so a "find" in the
// log shows that the backup ran.
TEST_P(frmMainEnterTest, EnterPressesExecuteUnlessAnotherButtonHasTheFocus) {
    frmMain window(ops, volumes);
    ShowActive(window);
    QWidget* focus = window.findChild<QWidget*>(GetParam().focus);
    if (auto* combo = qobject_cast<QComboBox*>(focus)) focus = combo->lineEdit();
    focus->setFocus();
    log.clear();
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(!LinesStartingWith(log, "find ").empty(), GetParam().runsBackup);
    EXPECT_EQ(window.isVisible(), GetParam().runsBackup);
}

INSTANTIATE_TEST_SUITE_P(Focus, frmMainEnterTest,
                         ::testing::Values(EnterRow{"SourceFolder", "txtFolder0", true},
                                           EnterRow{"DestinationFolder", "txtFolder1", true},
                                           EnterRow{"FileType", "cmbFileNameFilter", true},
                                           EnterRow{"QuitButton", "btnQuit", false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct TypedRow {
    const char* name;
    const char* typed;
};

class frmMainTypedTest : public frmMainTest, public ::testing::WithParamInterface<TypedRow> {};

// Typed key by key, then Execute clicked with the mouse, which takes the focus from the box as a
// user's click does. Each text begins like an item of the list, or differs from one only in case.
TEST_P(frmMainTypedTest, ATypedWildcardIsShownRunAndStoredExactlyAsTyped) {
    const std::string typed = GetParam().typed;
    ops.Find("/src", EntryAttributes::Directory, "src");
    ops.Find("/dst", EntryAttributes::Directory, "dst");
    ops.Find("/dst/.", EntryAttributes::Directory, ".");
    ops.Find("/src/" + typed, EntryAttributes::Normal, "match");
    frmMain window(ops, volumes);
    ShowActive(window);
    Folder(window, 0)->setText(QStringLiteral("/src"));
    Folder(window, 1)->setText(QStringLiteral("/dst"));
    auto* combo = Find<QComboBox>(window, "cmbFileNameFilter");
    combo->lineEdit()->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), GetParam().typed);
    EXPECT_EQ(combo->currentText().toStdString(), typed);
    QTest::mouseClick(Find<QPushButton>(window, "btnExec"), Qt::LeftButton);
    EXPECT_EQ(combo->currentText().toStdString(), typed);
    EXPECT_EQ(LinesStartingWith(log, "copy "),
              std::vector<std::string>{"copy /src/" + typed + " -> /dst/20010605_210403 overwrite"});
    EXPECT_TRUE(Contains(log, "write Quillmere:LastExec:FileType=" + typed));
    EXPECT_EQ(combo->count(), 9);
}

INSTANTIATE_TEST_SUITE_P(Texts, frmMainTypedTest,
                         ::testing::Values(TypedRow{"StarDot", "*."}, TypedRow{"Star", "*"},
                                           TypedRow{"StarDotX", "*.x"}, TypedRow{"StarDotUpperJR", "*.JR"},
                                           TypedRow{"ItemInOtherCase", "*.JRA"}, TypedRow{"NotAnItem", "zo??0605.j*"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct OpenListRow {
    const char* name;
    Qt::Key key;
    const char* text;  // the box's text once the list has closed
};

class frmMainOpenListTest : public frmMainTest, public ::testing::WithParamInterface<OpenListRow> {};

// F4 opens the list on "*.jra", the stored text, and two presses of Down move the highlight to
// "*.lzh". Enter and Esc are sent to the window that has the keyboard, as the system delivers
// them: the list's own while it is open.
TEST_P(frmMainOpenListTest, AnOpenListKeepsEnterAndEscapeAndTheSecondPressReachesTheWindow) {
    frmMain window(ops, volumes);
    ShowActive(window);
    auto* combo = Find<QComboBox>(window, "cmbFileNameFilter");
    combo->lineEdit()->setFocus();
    QTest::keyClick(combo->lineEdit(), Qt::Key_F4);
    ASSERT_TRUE(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Down);
    log.clear();
    QTest::keyClick(combo->view()->window()->windowHandle(), GetParam().key);
    EXPECT_FALSE(combo->view()->isVisible());
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(log, std::vector<std::string>{});
    EXPECT_EQ(combo->currentText().toStdString(), GetParam().text);
    // A desktop hands the keyboard back to the window when the list closes; the offscreen
    // platform leaves the closed list active.
    QApplication::setActiveWindow(&window);
    QTest::keyClick(window.windowHandle(), GetParam().key);
    const bool quits = GetParam().key == Qt::Key_Escape;
    EXPECT_EQ(window.isVisible(), !quits);
    EXPECT_EQ(LinesStartingWith(log, "find ").empty(), quits);
}

INSTANTIATE_TEST_SUITE_P(Keys, frmMainOpenListTest,
                         ::testing::Values(OpenListRow{"EscapeClosesTheListOnly", Qt::Key_Escape, "*.jra"},
                                           OpenListRow{"EnterPicksTheHighlightedItem", Qt::Key_Return, "*.lzh"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct HighlightRow {
    const char* name;
    const char* typed;  // nothing: the text read from the settings, "*.jra"
    QKeyCombination open;
    const char* highlighted;  // empty: no item
};

class frmMainHighlightTest : public frmMainTest, public ::testing::WithParamInterface<HighlightRow> {};

// The list opens on the item equal to the text, or on none, whichever key opens it: Enter then
// closes it with the text unchanged, and the next run uses that text, not the list's first item.
TEST_P(frmMainHighlightTest, TheListOpensOnTheItemOfTheTextAndEnterKeepsTheText) {
    frmMain window(ops, volumes);
    ShowActive(window);
    auto* combo = Find<QComboBox>(window, "cmbFileNameFilter");
    combo->lineEdit()->setFocus();
    const QString text = GetParam().typed ? QString::fromLatin1(GetParam().typed) : QStringLiteral("*.jra");
    if (GetParam().typed) {
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), text);
    }
    QTest::keyClick(combo->lineEdit(), GetParam().open.key(), GetParam().open.keyboardModifiers());
    ASSERT_TRUE(combo->view()->isVisible());
    EXPECT_EQ(combo->view()->currentIndex().data().toString().toStdString(), GetParam().highlighted);
    EXPECT_EQ(combo->view()->selectionModel()->selectedIndexes().size(), *GetParam().highlighted ? 1 : 0);
    QTest::keyClick(combo->view()->window()->windowHandle(), Qt::Key_Return);
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_EQ(combo->currentText(), text);
    EXPECT_TRUE(LinesStartingWith(log, "find ").empty()) << "Enter in the open list ran a backup";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, frmMainHighlightTest,
    ::testing::Values(HighlightRow{"StoredItemOpenedWithF4", nullptr, Qt::Key_F4, "*.jra"},
                      HighlightRow{"StoredItemOpenedWithAltDown", nullptr, Qt::AltModifier | Qt::Key_Down, "*.jra"},
                      HighlightRow{"TypedItem", "*.csv", Qt::Key_F4, "*.csv"},
                      HighlightRow{"TypedTextThatIsNoItem", "zo*.jra", Qt::AltModifier | Qt::Key_Down, ""},
                      HighlightRow{"ItemInOtherCaseIsNoItem", "*.JRA", Qt::Key_F4, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The real dialog opens at the destination's text; the user opens the sub-folder "child" and
// presses OK, which fills that row and leaves the other as it was.
TEST_F(frmMainTest, TheBrowseButtonOpensTheDialogAtItsRowsTextAndOkFillsThatRow) {
    TempFolder temp;
    std::filesystem::create_directories(temp.Path() / "start" / "child");
    frmMain window(ops, volumes);
    const QString start = QString::fromStdString(temp / "start");
    Folder(window, 1)->setText(start);
    Folder(window, 0)->setText(QStringLiteral("other row"));
    bool seen = false;
    OnNextModal(
        [&](QWidget& dialog) {
            auto* dirList = dialog.findChild<DirectoryList*>(QStringLiteral("dirList"));
            EXPECT_EQ(dirList->Path(), start);
            dirList->SetPath(start + QStringLiteral("/child"));
            dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        },
        seen);
    QTest::mouseClick(Find<QPushButton>(window, "btnBrowseFolser1"), Qt::LeftButton);
    EXPECT_TRUE(seen);
    EXPECT_EQ(Folder(window, 1)->text(), start + QStringLiteral("/child"));
    EXPECT_EQ(Folder(window, 0)->text(), QStringLiteral("other row"));
}

TEST_F(frmMainTest, ABackupTypedAndStartedWithEnterLeavesTheCopiesAndTheInputsOnDisk) {
    TempFolder temp;
    std::filesystem::create_directories(temp.Path() / "ソース フォルダ");
    WriteFile(temp / "ソース フォルダ/ZO010605.JRA", "odds");
    WriteFile(temp / "ソース フォルダ/notes.txt", "not copied");
    RealFilesPlatform real(log, temp / "config/Quillmere.conf");
    real.fixedTime = LocalTime{2001, 6, 5, 21, 4, 3};
    real.prompts.answers = {PromptAnswer::Yes};  // create the missing destination
    {
        frmMain window(real, volumes);
        ShowActive(window);
        const char* inputs[] = {"ソース フォルダ", "バックアップ 先"};
        for (int i = 0; i < 2; ++i) {
            Folder(window, i)->selectAll();
            Type(Folder(window, i), QString::fromStdString(temp / inputs[i]));
        }
        QTest::keyClick(Folder(window, 1), Qt::Key_Return);
        QTest::keyClick(Folder(window, 1), Qt::Key_Escape);
    }
    ASSERT_EQ(real.prompts.shown.size(), 1U) << log.back();
    EXPECT_EQ(ListFolder(temp / "バックアップ 先/20010605_210403"), std::vector<std::string>{"ZO010605.JRA"});
    EXPECT_EQ(ReadFile(temp / "バックアップ 先/20010605_210403/ZO010605.JRA"), "odds");
    const std::string store = ReadFile(temp / "config/Quillmere.conf");
    EXPECT_NE(store.find("DstFolder=" + (temp / "バックアップ 先")), std::string::npos) << store;
    EXPECT_NE(store.find("FileType=*.jra"), std::string::npos) << store;
    EXPECT_NE(store.find("Left=1005"), std::string::npos) << store;
}

// In the window a relative folder is taken in the home folder and "~/" is the home folder; the
// boxes then show, and the store holds, the folders as the run used them.
TEST_F(frmMainTest, RelativeFoldersAndTildeAreTakenInTheHomeFolderAndShownAndStoredAsUsed) {
    TempFolder temp;
    const std::string home = temp / "home";
    ScopedVariable homeVariable("HOME", home);
    std::filesystem::create_directories(home + "/odds");
    WriteFile(home + "/odds/ZO010605.JRA", "odds");
    RealFilesPlatform real(log, temp / "config/Quillmere.conf");
    real.fixedTime = LocalTime{2001, 6, 5, 21, 4, 3};
    real.prompts.answers = {PromptAnswer::Yes};  // create the missing destination
    {
        frmMain window(real, volumes);
        ShowActive(window);
        const char* inputs[] = {"odds", "~/qm-backup"};
        for (int i = 0; i < 2; ++i) {
            Folder(window, i)->selectAll();
            Type(Folder(window, i), QString::fromLatin1(inputs[i]));
        }
        QTest::keyClick(Folder(window, 1), Qt::Key_Return);
        EXPECT_EQ(Folder(window, 0)->text().toStdString(), home + "/odds");
        EXPECT_EQ(Folder(window, 1)->text().toStdString(), home + "/qm-backup");
        QTest::keyClick(Folder(window, 1), Qt::Key_Escape);
    }
    EXPECT_EQ(ListFolder(home + "/qm-backup/20010605_210403"), std::vector<std::string>{"ZO010605.JRA"});
    const std::string store = ReadFile(temp / "config/Quillmere.conf");
    EXPECT_NE(store.find("SrcFolder=" + home + "/odds\nDstFolder=" + home + "/qm-backup\n"), std::string::npos)
        << store;
}

// On a first start the boxes show the Windows program's folder; on Linux a backup finds it on the
// user's Wine drive C: (named there in another case) and keeps the text as it is.
TEST_F(frmMainTest, OnAFirstStartTheDefaultFolderIsBackedUpThroughTheWineDrive) {
    TempFolder temp;
    std::filesystem::create_directories(temp.Path() / "prefix/dosdevices");
    std::filesystem::create_directories(temp.Path() / "prefix/drive_c/PROGRAM FILES/pat98");
    std::filesystem::create_symlink("../drive_c", temp.Path() / "prefix/dosdevices/c:");
    WriteFile(temp / "prefix/drive_c/PROGRAM FILES/pat98/ZO010605.JRA", "odds");
    ScopedVariable prefix("WINEPREFIX", temp / "prefix");
    RealFilesPlatform real(log, temp / "config/Quillmere.conf");
    real.fixedTime = LocalTime{2001, 6, 5, 21, 4, 3};
    {
        frmMain window(real, volumes);
        ShowActive(window);
        EXPECT_EQ(Folder(window, 0)->text(), QStringLiteral("C:\\Program Files\\Pat98"));
        QTest::keyClick(Folder(window, 1), Qt::Key_Return);
        EXPECT_EQ(Folder(window, 1)->text(), QStringLiteral("C:\\Program Files\\Pat98"));
        QTest::keyClick(Folder(window, 1), Qt::Key_Escape);
    }
    EXPECT_EQ(real.prompts.shown.size(), 0U) << log.back();
    EXPECT_EQ(ListFolder(temp / "prefix/drive_c/PROGRAM FILES/pat98/20010605_210403"),
              std::vector<std::string>{"ZO010605.JRA"});
    const std::string store = ReadFile(temp / "config/Quillmere.conf");
    EXPECT_NE(store.find("DstFolder=C:\\Program Files\\Pat98\n"), std::string::npos) << store;
}

// A copy that takes seconds (a real copy, slowed at each progress report): the window still
// paints, the progress window comes up and advances, Stop asks, and Yes ends the copy at its next
// safe point, long before its end, with every finished copy whole and no temporary file left.
TEST_F(frmMainTest, ALongBackupShowsItsProgressAndStopsAtItsNextSafePointOnYes) {
    TempFolder temp;
    std::filesystem::create_directories(temp.Path() / "src");
    std::filesystem::create_directories(temp.Path() / "dst");
    const std::string content(64 * 1024, 'x');
    for (int i = 0; i < 100; ++i) WriteFile(temp / ("src/f" + std::to_string(100 + i) + ".jra"), content);
    RealFilesPlatform real(log, temp / "config/Quillmere.conf");
    real.fixedTime = LocalTime{2001, 6, 5, 21, 4, 3};
    real.reportPause = std::chrono::milliseconds(40);
    real.prompts.answers = {PromptAnswer::Yes};  // stop

    frmMain window(real, volumes);
    Folder(window, 0)->setText(QString::fromStdString(temp / "src"));
    Folder(window, 1)->setText(QString::fromStdString(temp / "dst"));
    ShowActive(window);

    int paints = 0;
    QString countAtFirstLook, countAtSecondLook;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++count;
            return false;
        }
    } counter(paints);
    window.installEventFilter(&counter);
    QTimer::singleShot(300, [&] { window.update(); });
    QTimer::singleShot(800, [&] {
        QWidget* progress = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "frmProgress" && top->isVisible()) progress = top;
        }
        ASSERT_NE(progress, nullptr) << "no progress window";
        countAtFirstLook = Find<QLabel>(*progress, "lblCount")->text();
        QTimer::singleShot(400, [&, progress] {
            countAtSecondLook = Find<QLabel>(*progress, "lblCount")->text();
            QTest::mouseClick(Find<QPushButton>(*progress, "cmdStop"), Qt::LeftButton);
        });
    });
    QTest::mouseClick(Find<QPushButton>(window, "btnExec"), Qt::LeftButton);
    window.removeEventFilter(&counter);

    EXPECT_GT(paints, 0) << "the main window did not paint during the copy";
    EXPECT_NE(countAtFirstLook, countAtSecondLook);
    ASSERT_EQ(real.prompts.shown.size(), 2U);
    EXPECT_EQ(real.prompts.shown[0].text, "バックアップを中止しますか？");
    const std::string stamp = temp / "dst/20010605_210403";
    const std::vector<std::string> copies = ListFolder(stamp);
    EXPECT_EQ(real.prompts.shown[1].text, "バックアップを中止しました。" + std::to_string(copies.size()) +
                                              " 個のファイルをコピーしました。\n" + stamp);
    // The copy stops at its next safe point: no more than the file under way (and the few the
    // window's refresh had not shown yet) is finished after Yes, not the rest.
    EXPECT_GT(copies.size(), 0U);
    EXPECT_LE(copies.size(), countAtSecondLook.section(' ', 0, 0).toULongLong() + 10);
    for (const std::string& name : copies) {
        EXPECT_EQ(name.rfind(".quillmere", 0), std::string::npos) << name;
        EXPECT_EQ(ReadFile(stamp + "/" + name), content) << name;
    }
}

// A copy thread the system cannot start is a failure like any other: it names the stamp folder
// and the reason, copies nothing, and the inputs are stored as after any failed copy.
TEST_F(frmMainTest, ACopyThreadThatCannotBeStartedIsReportedWithTheStampFolder) {
    ops.Find("/src", EntryAttributes::Directory, "src");
    ops.Find("/dst", EntryAttributes::Directory, "dst");
    ops.Find("/dst/.", EntryAttributes::Directory, ".");
    ops.Find("/src/*.jra", EntryAttributes::Normal, "a.jra");
    frmMain window(ops, volumes);
    Folder(window, 0)->setText(QStringLiteral("/src"));
    Folder(window, 1)->setText(QStringLiteral("/dst"));
    ShowActive(window);
    g_refuseThreads = true;
    QTest::mouseClick(Find<QPushButton>(window, "btnExec"), Qt::LeftButton);
    g_refuseThreads = false;
    EXPECT_TRUE(LinesStartingWith(log, "copy ").empty());
    EXPECT_TRUE(Contains(log, "prompt 48 [ファイルのコピー] /dst/20010605_210403: コピーのスレッドを開始できません。" +
                                  std::error_code(EAGAIN, std::generic_category()).message() +
                                  "\n0 個のファイルをコピーしました。残りのファイルはコピーしていません。"));
    EXPECT_TRUE(Contains(log, "write Quillmere:LastExec:FileType=*.jra"));
    EXPECT_TRUE(window.isVisible());
}

// Whatever the window's thread throws while the copy runs (here a timer's handler) must not end
// the program through std::terminate: the copy stops at its next safe point, is waited for, and
// the failure is shown with how far the copy got; every copy made is whole.
TEST_F(frmMainTest, AFailureOfTheWindowSideDuringTheCopyStopsTheCopyAndIsReported) {
    TempFolder temp;
    std::filesystem::create_directories(temp.Path() / "src");
    std::filesystem::create_directories(temp.Path() / "dst");
    const std::string content(64 * 1024, 'x');
    for (int i = 0; i < 100; ++i) WriteFile(temp / ("src/f" + std::to_string(100 + i) + ".jra"), content);
    RealFilesPlatform real(log, temp / "config/Quillmere.conf");
    real.fixedTime = LocalTime{2001, 6, 5, 21, 4, 3};
    real.reportPause = std::chrono::milliseconds(40);
    frmMain window(real, volumes);
    Folder(window, 0)->setText(QString::fromStdString(temp / "src"));
    Folder(window, 1)->setText(QString::fromStdString(temp / "dst"));
    ShowActive(window);

    QTimer::singleShot(300, [] { throw PlatformError("the window failed"); });
    QTest::mouseClick(Find<QPushButton>(window, "btnExec"), Qt::LeftButton);

    const std::string stamp = temp / "dst/20010605_210403";
    const std::vector<std::string> copies = ListFolder(stamp);
    EXPECT_LT(copies.size(), 100U);
    ASSERT_EQ(real.prompts.shown.size(), 1U);
    EXPECT_EQ(real.prompts.shown[0].title, "ファイルのコピー");
    EXPECT_EQ(real.prompts.shown[0].text, "the window failed\n" + std::to_string(copies.size()) +
                                              " 個のファイルをコピーしました。残りのファイルはコピーしていません。");
    for (const std::string& name : copies) EXPECT_EQ(ReadFile(stamp + "/" + name), content) << name;
    EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace quillmere::test
