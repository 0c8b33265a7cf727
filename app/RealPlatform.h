// RealPlatform: the PlatformOps of the running program: the system's own operations with the Qt
// message box and the desktop's address launcher. Once a stop signal has come, messages go to the
// error output rather than into boxes nobody may close.
#pragma once

#include "platform/SystemOps.h"

namespace quillmere {

class RealPlatform final : public SystemOps {
public:
    PromptAnswer ShowPrompt(const std::string& text, PromptStyle style,
                            const std::optional<std::string>& title) override;
    // A launch that fails or is refused is not reported: the program has nothing to add to what
    // the desktop already shows.
    void LaunchCommand(const std::string& commandLine, ShowMode showMode) override;
};

}  // namespace quillmere
