#include "winapp/NativeWindow.h"

#include <exception>
#include <string>

#include "forms/HandlerGuard.h"
#include "winapp/BusyPointer.h"
#include "winapp/WinPrompt.h"

namespace quillmere {

namespace {

constexpr wchar_t kClassName[] = L"QuillmereWindow";

// The dialog manager's own procedure does the keyboard work of a dialog box for any window whose
// class reserves its extra bytes; the class is registered once for the program.
ATOM RegisterClassOnce(WNDPROC procedure) {
    static const ATOM atom = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.cbWndExtra = DLGWINDOWEXTRA;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
        windowClass.hIconSm = static_cast<HICON>(LoadImageW(windowClass.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                            GetSystemMetrics(SM_CXSMICON),
                                                            GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass);
    }();
    return atom;
}

// Called inside a catch block. The box itself may fail (no memory left); the program goes on.
void ReportUnexpected() noexcept {
    BusyPointer::Set(MousePointer::Default);
    try {
        WinPrompt::Show(CurrentFailure(), PromptStyle::OkOnly, std::nullopt);
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

}  // namespace

NativeWindow::~NativeWindow() {
    if (m_window) {
        // The window outlives its object only on an early return; it must not call back into it.
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

bool NativeWindow::Create(std::wstring_view title, HWND owner, DWORD extraStyle) {
    if (!RegisterClassOnce(Procedure)) return false;
    const std::wstring caption(title);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | extraStyle;
    // A window without an owner is the program's own (the main window): it has a taskbar button.
    const DWORD exStyle = WS_EX_CONTROLPARENT | (owner ? 0 : WS_EX_APPWINDOW);
    CreateWindowExW(exStyle, kClassName, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr,
                    GetModuleHandleW(nullptr), this);
    return m_window != nullptr;
}

LRESULT NativeWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT NativeWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETCURSOR && BusyPointer::Shown() && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return DefDlgProcW(m_window, message, wParam, lParam);
}

LRESULT CALLBACK NativeWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<NativeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefDlgProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const LRESULT result = Guarded(*self, message, wParam, lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        return result;
    }
    return Guarded(*self, message, wParam, lParam);
}

// The handlers run the window logic under their own guard (HandlerGuard); this one is the last,
// for what a window's own code throws (out of memory), since no C++ exception may cross the
// system's code back into the message loop.
LRESULT NativeWindow::Guarded(NativeWindow& self, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return self.OnMessage(message, wParam, lParam);
    } catch (...) {
        ReportUnexpected();
    }
    return 0;
}

}  // namespace quillmere
