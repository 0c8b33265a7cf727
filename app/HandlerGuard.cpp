#include "app/HandlerGuard.h"

#include <QApplication>
#include <QWidget>

#include <exception>

namespace quillmere {

namespace {

void ResetPointers(QWidget* window) {
    if (window) window->unsetCursor();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void Report(PlatformOps& ops, const std::string& description) {
    try {
        ops.ShowPrompt(description, PromptStyle::OkOnly, std::nullopt);
    } catch (...) {
        // Nothing is left to tell the user with; the program still goes on.
    }
}

}  // namespace

void RunHandler(PlatformOps& ops, QWidget* window, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ResetPointers(window);
        Report(ops, e.what());
    } catch (...) {
        ResetPointers(window);
        Report(ops, "予期しないエラーが発生しました。");
    }
}

}  // namespace quillmere
