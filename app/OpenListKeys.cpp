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
    explicit OpenListKeysFilter(QComboBox& combo) : QObject(&combo), m_combo(combo) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Show:
                // The box highlights its current index, which only picking sets: after a typed
                // text it is still the item picked (or set) before.
                HighlightItemOfText();
                break;
            case QEvent::FocusIn:
                // A view taking the focus with nothing current makes its first item current, and
                // Enter would pick it: the view has its focus first, then the item is set again.
                watched->event(event);
                HighlightItemOfText();
                return true;
            case QEvent::ShortcutOverride:
                if (IsListKey(static_cast<QKeyEvent*>(event)->key())) event->accept();
                break;
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                // The box's own handling keeps an open list open on Enter with nothing highlighted.
                if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !m_combo.view()->currentIndex().isValid()) {
                    m_combo.hidePopup();
                    return true;
                }
                break;
            }
            default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool IsListKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape; }

    void HighlightItemOfText() {
        QAbstractItemView& view = *m_combo.view();
        const int item = m_combo.findText(m_combo.currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (item < 0) {
            view.selectionModel()->clear();
        } else {
            view.selectionModel()->setCurrentIndex(m_combo.model()->index(item, m_combo.modelColumn()),
                                                   QItemSelectionModel::ClearAndSelect);
        }
    }

    QComboBox& m_combo;
};

}  // namespace

void KeepOpenListKeys(QComboBox& combo) {
    combo.view()->installEventFilter(new OpenListKeysFilter(combo));
}

}  // namespace quillmere
