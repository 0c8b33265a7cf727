// NativeWindow: the top-level window every window of the Windows program derives from. It
// registers a window class that behaves like a dialog box (Tab between controls, the default push
// button on Enter, IDCANCEL on Esc, the focus kept across activations) and hands each message to
// the object behind the window.
#pragma once

#include <windows.h>

#include <string_view>

namespace quillmere {

class NativeWindow {
public:
    NativeWindow() = default;
    virtual ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    HWND Handle() const { return m_window; }

protected:
    // A fixed-size window with a title, the system menu and a close box only; owner may be null.
    // The size is set afterwards, in twips (see WinLayout::SetClientSize).
    bool Create(std::wstring_view title, HWND owner, DWORD extraStyle = 0);
    // Every message comes here first; what a window does not handle goes to Default.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT Guarded(NativeWindow& self, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
};

}  // namespace quillmere
