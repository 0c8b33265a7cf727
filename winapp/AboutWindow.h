// AboutWindow: the modal About window, the Win32 view of AboutForm. (A placeholder until the
// window itself is built.)
#pragma once

#include <windows.h>

#include "forms/AboutForm.h"
#include "platform/PlatformOps.h"

namespace quillmere {

class AboutWindow final : public AboutView {
public:
    AboutWindow(HWND owner, PlatformOps& ops);

    void Run();
    void SetMousePointer(MousePointer pointer) override;

private:
    HWND m_owner;
    PlatformOps& m_ops;
    AboutForm m_form;
};

}  // namespace quillmere
