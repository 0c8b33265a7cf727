// The message box: the icon and buttons of each style, the default title, the answer each way
// of closing gives, and that nothing is left open afterwards.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

#include "app/QtPrompt.h"
#include "platform/PlatformOps.h"

namespace quillmere::test {
namespace {

struct SeenBox {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    QStringList labels;
};

// Shows the prompt and, from inside its modal loop, records the box and acts on it as the user.
PromptAnswer ShowAndAct(const std::string& text, PromptStyle style, const std::optional<std::string>& title,
                        SeenBox& seen, const std::function<void(QMessageBox&)>& act) {
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        found = true;
        seen = {box->windowTitle(),    box->text(), box->textFormat(), box->icon(), box->standardButtons(),
                box->windowModality(), {}};
        for (const QAbstractButton* button : box->buttons()) seen.labels << button->text();
        act(*box);
    });
    const PromptAnswer answer = QtPrompt::Show(text, style, title);
    EXPECT_TRUE(found) << "no modal message box appeared";
    return answer;
}

void Click(QMessageBox& box, QMessageBox::StandardButton which) {
    QTest::mouseClick(box.button(which), Qt::LeftButton);
}

void PressEscape(QMessageBox& box) {
    QTest::keyClick(&box, Qt::Key_Escape);
}

void PressEnter(QMessageBox& box) {
    QTest::keyClick(&box, Qt::Key_Return);
}

struct PromptCase {
    std::string name;
    PromptStyle style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    std::function<void(QMessageBox&)> act;
    PromptAnswer answer;
};

const PromptCase kPromptCases[] = {
    {"PlainOkClicked", PromptStyle::OkOnly, QMessageBox::NoIcon, QMessageBox::Ok,
     [](QMessageBox& b) { Click(b, QMessageBox::Ok); }, PromptAnswer::Ok},
    {"ExclamationOkClosedByEscape", PromptStyle::OkExclamation, QMessageBox::Warning, QMessageBox::Ok, PressEscape,
     PromptAnswer::Ok},
    {"QuestionYesClicked", PromptStyle::YesNoQuestion, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
     [](QMessageBox& b) { Click(b, QMessageBox::Yes); }, PromptAnswer::Yes},
    {"QuestionNoClicked", PromptStyle::YesNoQuestion, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
     [](QMessageBox& b) { Click(b, QMessageBox::No); }, PromptAnswer::No},
    {"QuestionEnterMeansYes", PromptStyle::YesNoQuestion, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
     PressEnter, PromptAnswer::Yes},
    {"QuestionEscapeMeansNo", PromptStyle::YesNoQuestion, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
     PressEscape, PromptAnswer::No},
    {"QuestionClosedByItsWindowMeansNo", PromptStyle::YesNoQuestion, QMessageBox::Question,
     QMessageBox::Yes | QMessageBox::No, [](QMessageBox& b) { b.close(); }, PromptAnswer::No},
};

void ExpectNothingLeftOpen() {
    QApplication::processEvents();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->metaObject()->className();
    }
}

class QtPromptTest : public testing::TestWithParam<PromptCase> {
protected:
    void TearDown() override { ExpectNothingLeftOpen(); }
};

TEST_P(QtPromptTest, ShowsAndAnswers) {
    const PromptCase& c = GetParam();
    SeenBox seen;
    const PromptAnswer answer =
        ShowAndAct("コピー先フォルダが存在しません。作成しますか？", c.style, "バックアップ", seen, c.act);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(seen.title, QString::fromUtf8("バックアップ"));
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);
    if (c.style == PromptStyle::YesNoQuestion) {
        EXPECT_TRUE(seen.labels.contains(QString::fromUtf8("はい(&Y)")) &&
                    seen.labels.contains(QString::fromUtf8("いいえ(&N)")))
            << seen.labels.join(' ').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(QtPrompt, QtPromptTest, testing::ValuesIn(kPromptCases),
                         [](const testing::TestParamInfo<PromptCase>& info) { return info.param.name; });

TEST(QtPrompt, WithoutTitleTheBoxCarriesTheApplicationTitle) {
    SeenBox seen;
    ShowAndAct("/mnt/cdrom: No medium found", PromptStyle::OkOnly, std::nullopt, seen, PressEnter);
    EXPECT_EQ(seen.title, QStringLiteral("Quillmere"));
    EXPECT_EQ(seen.text, QStringLiteral("/mnt/cdrom: No medium found"));
}

TEST(QtPrompt, PathsThatLookLikeMarkupAreShownAsTheyAre) {
    SeenBox seen;
    ShowAndAct("/home/me/<b>bold</b> & more: Permission denied", PromptStyle::OkExclamation, "ファイルのコピー", seen,
               PressEnter);
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.text, QStringLiteral("/home/me/<b>bold</b> & more: Permission denied"));
}

struct OwnerCase {
    std::string name;
    bool dialogInFront;  // a modal dialog of the window is open, as the folder dialog is
};

class QtPromptOwnerTest : public testing::TestWithParam<OwnerCase> {
protected:
    void TearDown() override { ExpectNothingLeftOpen(); }
};

// Two boxes in a row, as a backup run shows them: when the first closes no window is active
// until the desktop hands activation back, and the second must still open over its window.
TEST_P(QtPromptOwnerTest, EveryBoxOpensCentredOnTheWindowItBelongsTo) {
    QWidget window;
    window.setGeometry(20, 40, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QDialog dialog(&window);
    dialog.setGeometry(440, 340, 300, 200);
    if (GetParam().dialogInFront) {
        dialog.setModal(true);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    const QWidget& owner = GetParam().dialogInFront ? static_cast<QWidget&>(dialog) : window;
    for (int box = 0; box < 2; ++box) {
        SeenBox seen;
        QPoint centre;
        ShowAndAct("/backup: Permission denied", PromptStyle::OkExclamation, std::nullopt, seen, [&](QMessageBox& b) {
            centre = b.frameGeometry().center();
            PressEnter(b);
        });
        EXPECT_TRUE(owner.frameGeometry().contains(centre))
            << "box " << box << " centred at " << centre.x() << "," << centre.y();
    }
    dialog.hide();
}

INSTANTIATE_TEST_SUITE_P(Owners, QtPromptOwnerTest,
                         testing::Values(OwnerCase{"MainWindow", false}, OwnerCase{"ModalDialogInFront", true}),
                         [](const testing::TestParamInfo<OwnerCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quillmere::test
