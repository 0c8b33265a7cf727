// The three windows as the user sees them: every control's place and size (laid out in twips at 15
// per pixel), its text, the client areas, and that none of the windows can be resized.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/UiFont.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmSelectFolder.h"
#include "platform/ProgramInfo.h"
#include "tests/app/WindowTest.h"

namespace quillmere::test {
namespace {

struct ControlRow {
    const char* window;
    const char* name;
    const char* text;  // nullptr: the text is not fixed by the layout
    int left, top, width, height;
};

// The About window shows the version the build was made as.
const std::string kVersionText = std::string("Version ") + ProgramInfo::kVersion;

const ControlRow kControls[] = {
    {"frmMain", "Label10", "コピー元フォルダ", 240, 240, 1395, 315},
    {"frmMain", "txtFolder0", nullptr, 1800, 240, 3555, 315},
    {"frmMain", "btnBrowseFolser0", "参照", 5400, 240, 555, 315},
    {"frmMain", "Label11", "コピー先フォルダ", 240, 720, 1395, 315},
    {"frmMain", "txtFolder1", nullptr, 1800, 720, 3555, 315},
    {"frmMain", "btnBrowseFolser1", "参照", 5400, 720, 555, 315},
    {"frmMain", "Label12", "ファイル種別", 240, 1260, 1455, 315},
    {"frmMain", "cmbFileNameFilter", nullptr, 1800, 1260, 3555, 300},
    {"frmMain", "cmdAbout", "ﾊﾞｰｼﾞｮﾝ情報", 240, 1860, 1155, 495},
    {"frmMain", "btnExec", "実行", 3180, 1860, 1155, 495},
    {"frmMain", "btnQuit", "終了", 4500, 1860, 1155, 495},
    {"frmSelectFolder", "drvList", nullptr, 240, 180, 2235, 300},
    {"frmSelectFolder", "dirList", nullptr, 240, 540, 2235, 2400},
    {"frmSelectFolder", "btnOK", "OK", 2820, 120, 1215, 375},
    {"frmSelectFolder", "btnCancel", "ｷｬﾝｾﾙ", 2820, 600, 1215, 375},
    {"frmAbout", "cmdOK", "OK", 4200, 240, 1260, 345},
    {"frmAbout", "picIcon", nullptr, 240, 240, 540, 540},
    {"frmAbout", "lblVersion", kVersionText.c_str(), 2400, 540, 1245, 225},
    {"frmAbout", "lblTitle", ProgramInfo::kName, 1050, 240, 2265, 300},
    {"frmAbout", "lblDescription", "PATオッズファイルをバックアップコピーします", 1050, 960, 3885, 330},
    {"frmAbout", "Label1", nullptr, 960, 1440, 4275, 255},
    {"frmAbout", "Frame1", "使い方", 240, 2700, 5175, 2415},
    {"frmAbout", "Label2", "PATフォルダとコピー先フォルダを指定して実行すれば", 240, 360, 4695, 375},
    {"frmAbout", "Label4", "コピー先フォルダの下に日時(yyyymmdd_hhmmss)で", 240, 720, 4815, 375},
    {"frmAbout", "Label5", "サブフォルダを作成し、ファイル種別にマッチするファイルを", 240, 1080, 4815, 375},
    {"frmAbout", "Label6", "コピーします。 例）zo*.jra <-単複オッズファイル", 240, 1440, 4695, 375},
    {"frmAbout", "Label7", "PATファイル以外のバックアップにも使用できます。(^o^)/", 240, 1920, 4575, 375},
    {"frmAbout", "Text1", "E-Mail  :", 1680, 1740, 735, 270},
    {"frmAbout", "Text3", "HomePage  :", 1380, 2040, 1035, 270},
    {"frmAbout", "txtMail", nullptr, 2520, 1740, 1215, 270},
    {"frmAbout", "Label3", nullptr, 2520, 2040, 2805, 330},
};

struct WindowRow {
    const char* window;
    const char* caption;
    int width, height;  // client area
};

const WindowRow kWindows[] = {
    {"frmMain", "Quillmere", 6105, 2580},
    {"frmSelectFolder", "フォルダの選択", 4155, 3075},
    {"frmAbout", "ﾊﾞｰｼﾞｮﾝ情報 Tarnwick", 5655, 5265},
};

QString TextOf(const QWidget& control) {
    if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(&control)) return edit->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(&control)) return frame->title();
    return {};
}

class WindowLayoutTest : public WindowTest {
protected:
    // Builds the named window as the program would show it and hands it to inspect.
    void WithWindow(const std::string& name, const std::function<void(QWidget&)>& inspect) {
        if (name == "frmMain") {
            frmMain window(ops, volumes);
            inspect(window);
            return;
        }
        bool seen = false;
        OnNextModal(
            [&](QWidget& window) {
                inspect(window);
                window.close();
            },
            seen);
        if (name == "frmAbout") {
            frmAbout(ops, nullptr).Show();
        } else {
            std::string folder;
            frmSelectFolder(ops, volumes, nullptr).ShowDialog(folder);
        }
        EXPECT_TRUE(seen);
    }
};

TEST_F(WindowLayoutTest, EveryControlSitsWhereItsTwipsPutItWithItsText) {
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(std::string(row.window) + "." + row.name);
        WithWindow(row.window, [&](QWidget& window) {
            const QWidget* control = Find<QWidget>(window, row.name);
            if (!control) return;
            EXPECT_EQ(control->geometry(), QRect(row.left / 15, row.top / 15, row.width / 15, row.height / 15));
            if (row.text) {
                EXPECT_EQ(TextOf(*control).toStdString(), row.text);
            }
        });
    }
}

// The Japanese font the program asks for first, and the one it falls back on when that is missing.
class CaptionFitTest : public WindowLayoutTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        QFont font = JapaneseUiFont();
        if (GetParam() != std::string("asked-for")) font.setFamilies({QStringLiteral("Noto Sans CJK JP")});
        QApplication::setFont(font);
    }
    void TearDown() override {
        QApplication::setFont(m_font);
        WindowLayoutTest::TearDown();
    }

private:
    QFont m_font = QApplication::font();
};

// A text box draws its text two pixels inside its edges, a button at least two; a label from edge
// to edge.
TEST_P(CaptionFitTest, EveryCaptionFitsItsControl) {
    for (const ControlRow& row : kControls) {
        if (!row.text) continue;
        SCOPED_TRACE(std::string(row.window) + "." + row.name);
        WithWindow(row.window, [&](QWidget& window) {
            const QWidget* control = Find<QWidget>(window, row.name);
            if (!control || qobject_cast<const QGroupBox*>(control)) return;
            const int inset = qobject_cast<const QLabel*>(control) ? 0 : 4;
            QMargins margins;
            if (auto* edit = qobject_cast<const QLineEdit*>(control)) margins = edit->textMargins();
            EXPECT_LE(
                control->fontMetrics().horizontalAdvance(TextOf(*control)) + inset + margins.left() + margins.right(),
                control->contentsRect().width());
        });
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, CaptionFitTest, ::testing::Values("asked-for", "fallback"), [](const auto& info) {
    return std::string(info.param) == "asked-for" ? "AskedFor" : "Fallback";
});

TEST_F(WindowLayoutTest, WindowsHaveTheirCaptionAFixedClientAreaAndNoMinimiseOrMaximiseButton) {
    for (const WindowRow& row : kWindows) {
        SCOPED_TRACE(row.window);
        WithWindow(row.window, [&](QWidget& window) {
            EXPECT_EQ(window.windowTitle().toStdString(), row.caption);
            const QSize client(row.width / 15, row.height / 15);
            EXPECT_EQ(window.size(), client);
            EXPECT_EQ(window.minimumSize(), client);
            EXPECT_EQ(window.maximumSize(), client);
            const Qt::WindowFlags flags = window.windowFlags();
            EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
            EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        });
    }
}

TEST_F(WindowLayoutTest, TheFileTypeListHoldsTheNineWildcardsInTheirOrder) {
    frmMain window(ops, volumes);
    auto* combo = Find<QComboBox>(window, "cmbFileNameFilter");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    EXPECT_EQ(items.join(QLatin1Char(' ')).toStdString(), "*.* *.jra *.csv *.lzh *.dat *.txt *.xls *.doc *.mdb");
    EXPECT_TRUE(combo->isEditable());
}

TEST_F(WindowLayoutTest, TabVisitsTheControlsInTheirOrderStartingAtTheSourceFolder) {
    frmMain window(ops, volumes);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QStringList visited;
    for (int i = 0; i < 9; ++i) {
        QWidget* focus = window.focusWidget();
        // The combo box's edit field has the focus on the combo box's behalf.
        if (focus && focus->parentWidget() && qobject_cast<QComboBox*>(focus->parentWidget())) {
            focus = focus->parentWidget();
        }
        visited << (focus ? focus->objectName() : QStringLiteral("-"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited.join(QLatin1Char(' ')).toStdString(),
              "txtFolder0 btnBrowseFolser0 txtFolder1 btnBrowseFolser1 cmbFileNameFilter cmdAbout btnExec btnQuit "
              "txtFolder0");
}

}  // namespace
}  // namespace quillmere::test
