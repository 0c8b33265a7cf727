// The About window: only its two links launch (their commands and the pointer around a failing
// launch are the form's), the pointer is back to normal after every launch, Enter and Esc close it, and the About
// button shows it again and again.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "tests/app/WindowTest.h"

namespace quillmere::test {
namespace {

struct ClickRow {
    const char* name;
    const char* control;
    const char* launched;  // nullptr: nothing
};

class frmAboutClickTest : public WindowTest, public ::testing::WithParamInterface<ClickRow> {};

TEST_P(frmAboutClickTest, OnlyTheTwoLinksLaunchAndTheyLaunchTheirFixedCommands) {
    bool seen = false;
    OnNextModal(
        [&](QWidget& window) {
            // The shown texts are not what is launched.
            window.findChild<QLineEdit*>(QStringLiteral("txtMail"))->setText(QStringLiteral("someone@else.test"));
            window.findChild<QLabel*>(QStringLiteral("Label3"))->setText(QStringLiteral("http://else.test/"));
            auto* control = window.findChild<QWidget*>(QString::fromLatin1(GetParam().control));
            ASSERT_TRUE(control);
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            // A link keeps its own pointer after the hourglass.
            EXPECT_TRUE(!GetParam().launched || control->cursor().shape() == Qt::BitmapCursor);
            window.close();
        },
        seen);
    frmAbout(ops, nullptr).Show();
    EXPECT_TRUE(seen);
    const auto expected =
        GetParam().launched ? std::vector<std::string>{GetParam().launched} : std::vector<std::string>{};
    EXPECT_EQ(log, expected);
}

INSTANTIATE_TEST_SUITE_P(Controls, frmAboutClickTest,
                         ::testing::Values(ClickRow{"Mail", "txtMail", "launch start mailto:sk@tw.test 5"},
                                           ClickRow{"HomePage", "Label3", "launch start http://www.tw.test/ 5"},
                                           ClickRow{"MailCaption", "Text1", nullptr},
                                           ClickRow{"HomePageCaption", "Text3", nullptr},
                                           ClickRow{"UsageLine", "Label2", nullptr},
                                           ClickRow{"Icon", "picIcon", nullptr},
                                           ClickRow{"Title", "lblTitle", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

class frmAboutKeyTest : public WindowTest, public ::testing::WithParamInterface<Qt::Key> {};

// The About button opens the window twice; Enter or Esc closes it each time.
TEST_P(frmAboutKeyTest, EnterAndEscapeCloseTheWindowEveryTimeItIsShown) {
    frmMain window(ops, volumes);
    for (int showing = 0; showing < 2; ++showing) {
        bool seen = false;
        OnNextModal(
            [&](QWidget& about) {
                EXPECT_EQ(QApplication::focusWidget(), about.findChild<QPushButton*>(QStringLiteral("cmdOK")));
                QTest::keyClick(QApplication::focusWidget(), GetParam());
            },
            seen);
        window.findChild<QPushButton*>(QStringLiteral("cmdAbout"))->click();
        EXPECT_TRUE(seen);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, frmAboutKeyTest, ::testing::Values(Qt::Key_Return, Qt::Key_Escape),
                         [](const auto& info) { return info.param == Qt::Key_Return ? "Enter" : "Escape"; });

}  // namespace
}  // namespace quillmere::test
