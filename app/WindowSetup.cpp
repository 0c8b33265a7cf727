#include "app/WindowSetup.h"

#include <QAbstractButton>
#include <QShortcut>

namespace quillmere {

Qt::WindowFlags FixedWindowFlags(Qt::WindowType type) {
    return type | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

void CancelOnEscape(QWidget& window, QAbstractButton& button) {
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_Escape), &window), &QShortcut::activated, &button,
                     &QAbstractButton::click);
}

}  // namespace quillmere
