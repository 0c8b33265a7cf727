#include "forms/HandlerGuard.h"

#include <exception>

namespace quillmere {

std::string CurrentFailure() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "予期しないエラーが発生しました。";
    }
}

void RunGuarded(PlatformOps& ops, const std::function<void()>& handler, const std::function<void()>& putPointerBack) {
    try {
        handler();
    } catch (...) {
        putPointerBack();
        try {
            ops.ShowPrompt(CurrentFailure(), PromptStyle::OkOnly, std::nullopt);
        } catch (...) {
            // Nothing is left to tell the user with; the program still goes on.
        }
    }
}

}  // namespace quillmere
