#include "app/QtPrompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include "platform/PlatformOps.h"
#include "platform/ProgramInfo.h"

namespace quillmere::QtPrompt {
namespace {

QMessageBox::Icon IconFor(PromptStyle style) {
    switch (style) {
        case PromptStyle::YesNoQuestion: return QMessageBox::Question;
        case PromptStyle::OkExclamation: return QMessageBox::Warning;
        case PromptStyle::OkOnly: break;
    }
    return QMessageBox::NoIcon;
}

// The window a box belongs to, which it opens centred on. A modal window in front (the folder
// dialog, the About window) is the one the user is working in. Otherwise the active window, but
// right after an earlier box has closed no window is active until the desktop hands activation
// back; the box then belongs to the program's window still on the screen.
QWidget* OwnerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && !window->isMinimized() && (type == Qt::Window || type == Qt::Dialog)) return window;
    }
    return nullptr;
}

}  // namespace

PromptAnswer Show(const std::string& text, PromptStyle style, const std::optional<std::string>& title) {
    QMessageBox box(OwnerWindow());
    box.setWindowTitle(QString::fromStdString(title.value_or(ProgramInfo::kName)));
    // Plain text: a path holding "<" or "&" is shown as it is, never taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.setIcon(IconFor(style));
    box.setWindowModality(Qt::ApplicationModal);
    if (style == PromptStyle::YesNoQuestion) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // Qt's own labels are English without its translations installed; the window speaks
        // Japanese, with the keys a Japanese system's message box gives its buttons.
        box.button(QMessageBox::Yes)->setText(QString::fromUtf8("はい(&Y)"));
        box.button(QMessageBox::No)->setText(QString::fromUtf8("いいえ(&N)"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return PromptAnswer::Yes;
        case QMessageBox::No: return PromptAnswer::No;
        default: return PromptAnswer::Ok;
    }
}

}  // namespace quillmere::QtPrompt
