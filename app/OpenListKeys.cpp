#include "app/OpenListKeys.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>

namespace quillmere {

namespace {

// Watches the list's view. Accepting the shortcut override claims the key for the view, so no
// shortcut fires and the key press itself reaches the list.
class OpenListKeysFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                event->accept();
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void KeepOpenListKeys(QComboBox& combo) {
    combo.view()->installEventFilter(new OpenListKeysFilter(&combo));
}

}  // namespace quillmere
