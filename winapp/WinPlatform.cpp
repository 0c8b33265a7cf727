#include "winapp/WinPlatform.h"

#include "platform/StopRequest.h"
#include "winapp/WinLauncher.h"
#include "winapp/WinPrompt.h"

namespace quillmere {

PromptAnswer WinPlatform::ShowPrompt(const std::string& text, PromptStyle style,
                                     const std::optional<std::string>& title) {
    // Once the session ends the program is ended too, and a box would only hold up the logout.
    if (StopRequest::Requested()) return style == PromptStyle::YesNoQuestion ? PromptAnswer::No : PromptAnswer::Ok;
    return WinPrompt::Show(text, style, title);
}

void WinPlatform::LaunchCommand(const std::string& commandLine, ShowMode /*showMode*/) {
    WinLauncher::Launch(commandLine);
}

}  // namespace quillmere
