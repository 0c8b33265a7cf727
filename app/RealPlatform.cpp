#include "app/RealPlatform.h"

#include <cstdio>

#include "app/QtLauncher.h"
#include "app/QtPrompt.h"
#include "platform/ProgramInfo.h"
#include "platform/StopRequest.h"

namespace quillmere {

PromptAnswer RealPlatform::ShowPrompt(const std::string& text, PromptStyle style,
                                      const std::optional<std::string>& title) {
    // After a stop signal (logout, shutdown) the program is ending and nobody may be there to
    // close a box: the message goes to the error output instead, and a question is answered No.
    if (StopRequest::Requested()) {
        std::fprintf(stderr, "%s: %s\n", title.value_or(ProgramInfo::kName).c_str(), text.c_str());
        return style == PromptStyle::YesNoQuestion ? PromptAnswer::No : PromptAnswer::Ok;
    }
    return QtPrompt::Show(text, style, title);
}

void RealPlatform::LaunchCommand(const std::string& commandLine, ShowMode /*showMode*/) {
    QtLauncher::Launch(commandLine);
}

}  // namespace quillmere
