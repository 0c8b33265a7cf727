// WinPrompt: PlatformOps::ShowPrompt as a system message box, centred on the program's window in
// front (the modal window the user works in, else the main window).
#pragma once

#include <optional>
#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::WinPrompt {

// The title defaults to the program's name.
PromptAnswer Show(const std::string& text, PromptStyle style, const std::optional<std::string>& title);

}  // namespace quillmere::WinPrompt
