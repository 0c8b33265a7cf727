#include "winapp/WinPlatform.h"

#include "winapp/WinLauncher.h"
#include "winapp/WinPrompt.h"

namespace quillmere {

PromptAnswer WinPlatform::ShowPrompt(const std::string& text, PromptStyle style,
                                     const std::optional<std::string>& title) {
    return WinPrompt::Show(text, style, title);
}

void WinPlatform::LaunchCommand(const std::string& commandLine, ShowMode /*showMode*/) {
    WinLauncher::Launch(commandLine);
}

}  // namespace quillmere
