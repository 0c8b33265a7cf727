#include "winapp/SelectFolderWindow.h"

namespace quillmere {

SelectFolderWindow::SelectFolderWindow(HWND owner, PlatformOps& ops) : m_owner(owner), m_ops(ops), m_form(ops) {}

DialogResult SelectFolderWindow::Run(std::string& /*folder*/) {
    return 2;
}

}  // namespace quillmere
