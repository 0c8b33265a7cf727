// WinPlatform: the PlatformOps of the Windows program: the system's own operations with the
// system message box and the system's address launcher. Once the session ends (a stop request),
// no box is shown: questions are answered No.
#pragma once

#include "platform/SystemOps.h"

namespace quillmere {

class WinPlatform final : public SystemOps {
public:
    PromptAnswer ShowPrompt(const std::string& text, PromptStyle style,
                            const std::optional<std::string>& title) override;
    // A launch that fails or is refused is not reported: the system shows its own message where
    // it has one.
    void LaunchCommand(const std::string& commandLine, ShowMode showMode) override;
};

}  // namespace quillmere
