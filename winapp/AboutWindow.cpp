#include "winapp/AboutWindow.h"

#include "winapp/BusyPointer.h"

namespace quillmere {

AboutWindow::AboutWindow(HWND owner, PlatformOps& ops) : m_owner(owner), m_ops(ops), m_form(ops, *this) {}

void AboutWindow::Run() {}

void AboutWindow::SetMousePointer(MousePointer pointer) {
    BusyPointer::Set(pointer);
}

}  // namespace quillmere
