#include "platform/qt/QtPrompt.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/PlatformOps.h"

namespace quillmere::QtPrompt {
namespace {

constexpr char kApplicationTitle[] = "Quillmere";
constexpr int kButtonsMask = 0x0F;
constexpr int kYesNoButtons = 4;
constexpr int kIconMask = 0x70;

QMessageBox::Icon IconFor(int style) {
    switch (style & kIconMask) {
        case 16: return QMessageBox::Critical;
        case 32: return QMessageBox::Question;
        case 48: return QMessageBox::Warning;
        case 64: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

}  // namespace

int Show(const std::string& text, int style, const std::optional<std::string>& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(title.value_or(kApplicationTitle)));
    // Plain text: a path holding "<" or "&" is shown as it is, never taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.setIcon(IconFor(style));
    box.setWindowModality(Qt::ApplicationModal);
    if ((style & kButtonsMask) == kYesNoButtons) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
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
