#include "winapp/BusyPointer.h"

#include <windows.h>

namespace quillmere::BusyPointer {

namespace {

// Only the windows' thread reads and writes it: the copy's thread never touches the pointer.
bool g_shown = false;

}  // namespace

void Set(MousePointer pointer) {
    g_shown = pointer == MousePointer::Hourglass;
    // The system asks again only when the mouse moves; the pointer changes now.
    SetCursor(LoadCursorW(nullptr, g_shown ? IDC_WAIT : IDC_ARROW));
}

bool Shown() {
    return g_shown;
}

}  // namespace quillmere::BusyPointer
