#include "platform/qt/RealPlatform.h"

#include "platform/qt/QtLauncher.h"
#include "platform/qt/QtPrompt.h"

namespace quillmere {

int RealPlatform::ShowPrompt(const std::string& text, int style, const std::optional<std::string>& title) {
    return QtPrompt::Show(text, style, title);
}

void RealPlatform::LaunchCommand(const std::string& commandLine, int /*showMode*/) {
    QtLauncher::Launch(commandLine);
}

}  // namespace quillmere
