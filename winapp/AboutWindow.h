// AboutWindow: the modal About window, the Win32 view of AboutForm: the program's icon, name and
// version, the maker's credit line and addresses, and five lines of usage. A click on the mail
// address or the home page asks AboutForm to launch its fixed command.
//
// One object serves the whole run; its window is built anew for every showing.
#pragma once

#include <windows.h>

#include "forms/AboutForm.h"
#include "platform/PlatformOps.h"

namespace quillmere {

class AboutWindow final : public AboutView {
public:
    AboutWindow(HWND owner, PlatformOps& ops);

    // Shows the window and returns when it has closed.
    void Run();
    void SetMousePointer(MousePointer pointer) override;

private:
    class Showing;

    HWND m_owner;
    PlatformOps& m_ops;
    AboutForm m_form;
};

}  // namespace quillmere
