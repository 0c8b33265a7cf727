// ModalLoop: how every modal window of the Windows program runs. The owner is disabled while the
// window shows and the window's messages pass the dialog manager (Tab, Enter, Esc).
#pragma once

#include <windows.h>

namespace quillmere::ModalLoop {

// Shows window and returns once EndModal has ended it (or the program is asked to quit; the
// quit request is then passed on to the outer loop).
void Run(HWND window);
// Ends window's loop: its owner is enabled again before the window goes, so the activation
// returns to the owner rather than to another program.
void EndModal(HWND window);

}  // namespace quillmere::ModalLoop
