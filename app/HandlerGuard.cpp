#include "app/HandlerGuard.h"

#include <QApplication>
#include <QWidget>

#include "forms/HandlerGuard.h"

namespace quillmere {

void RunHandler(PlatformOps& ops, QWidget* window, const std::function<void()>& handler) {
    RunGuarded(ops, handler, [window] {
        if (window) window->unsetCursor();
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    });
}

}  // namespace quillmere
