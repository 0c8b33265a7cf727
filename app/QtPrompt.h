// QtPrompt: the message box of PlatformOps::ShowPrompt, on QMessageBox.
#pragma once

#include <optional>
#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::QtPrompt {

// Shows the text in an application-modal message box, centred on the window it belongs to (the
// modal window in front, else the active one), and waits for it to close. OkOnly shows OK alone,
// OkExclamation OK with the warning icon, YesNoQuestion Yes and No with the question icon. With no
// title the box is titled "Quillmere". Answers Ok, Yes or No; a Yes/No box closed by Esc or its
// close button answers No.
PromptAnswer Show(const std::string& text, PromptStyle style, const std::optional<std::string>& title);

}  // namespace quillmere::QtPrompt
