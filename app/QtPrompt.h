// QtPrompt: the message box of PlatformOps::ShowPrompt, on QMessageBox.
#pragma once

#include <optional>
#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::QtPrompt {

// Shows the text in an application-modal message box, centred on the window it belongs to (the
// modal window in front, else the active one), and waits for it to close. The style chooses the
// buttons (0: OK, 4: Yes and No) and adds the icon (16 critical, 32 question, 48 exclamation,
// 64 information): 0, 48 and 36 are the ones the program uses. With no title the box is
// titled "Quillmere". Answers Ok, Yes or No; a Yes/No box
// closed by Esc or its close button answers No.
PromptAnswer Show(const std::string& text, PromptStyle style, const std::optional<std::string>& title);

}  // namespace quillmere::QtPrompt
