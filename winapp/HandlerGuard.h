// HandlerGuard: how every event handler of the Windows program runs. Whatever a handler throws is
// shown in a message box titled with the program's name, the pointer is put back, and the program
// goes on: nothing reaches the message loop, which a C++ exception must never cross. The pointer
// is the program's one BusyPointer, so unlike the Qt program's RunHandler no window is named.
#pragma once

#include <functional>

#include "platform/PlatformOps.h"

namespace quillmere {

void RunWinHandler(PlatformOps& ops, const std::function<void()>& handler);

}  // namespace quillmere
