#include "winapp/HandlerGuard.h"

#include <exception>
#include <string>

#include "winapp/BusyPointer.h"

namespace quillmere {

namespace {

void Report(PlatformOps& ops, const std::string& description) {
    try {
        ops.ShowPrompt(description, PromptStyle::OkOnly, std::nullopt);
    } catch (...) {
        // Nothing is left to tell the user with; the program still goes on.
    }
}

}  // namespace

void RunHandler(PlatformOps& ops, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        BusyPointer::Set(MousePointer::Default);
        Report(ops, e.what());
    } catch (...) {
        BusyPointer::Set(MousePointer::Default);
        Report(ops, "予期しないエラーが発生しました。");
    }
}

}  // namespace quillmere
