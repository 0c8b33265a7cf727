// BusyPointer: the program-wide mouse pointer the windows show while the program works (the
// hourglass). Every window of the program asks here when the system wants its pointer.
#pragma once

#include "platform/PlatformOps.h"

namespace quillmere::BusyPointer {

// Sets the pointer of every window of the program, at once where the mouse is over one.
void Set(MousePointer pointer);
bool Shown();

}  // namespace quillmere::BusyPointer
