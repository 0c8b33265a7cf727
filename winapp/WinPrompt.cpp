#include "winapp/WinPrompt.h"

#include <windows.h>

#include <algorithm>

#include "platform/ProgramInfo.h"
#include "platform/win32/WideText.h"

namespace quillmere::WinPrompt {

namespace {

// The program's enabled, visible window last active on this thread: with a modal window up, its
// owner is disabled, so the modal window is the one found.
HWND FrontWindow() {
    HWND active = GetActiveWindow();
    if (active && IsWindowVisible(active) && IsWindowEnabled(active)) return active;
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            if (!IsWindowVisible(window) || !IsWindowEnabled(window) || IsIconic(window)) return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The system places a message box in the middle of the screen; it is moved over its owner the
// moment it is activated, before it is first drawn.
thread_local HHOOK g_hook = nullptr;
thread_local HWND g_centreOn = nullptr;

LRESULT CALLBACK CentreOnOwner(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        RECT owner;
        RECT self;
        if (g_centreOn && GetWindowRect(g_centreOn, &owner) && GetWindowRect(box, &self)) {
            const int width = self.right - self.left;
            const int height = self.bottom - self.top;
            POINT place{(owner.left + owner.right - width) / 2, (owner.top + owner.bottom - height) / 2};
            // Kept whole on the owner's monitor.
            MONITORINFO monitor{};
            monitor.cbSize = sizeof monitor;
            if (GetMonitorInfoW(MonitorFromWindow(g_centreOn, MONITOR_DEFAULTTONEAREST), &monitor)) {
                const RECT& work = monitor.rcWork;
                place.x = std::max(work.left, std::min(place.x, work.right - width));
                place.y = std::max(work.top, std::min(place.y, work.bottom - height));
            }
            SetWindowPos(box, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

PromptAnswer Show(const std::string& text, PromptStyle style, const std::optional<std::string>& title) {
    const std::wstring caption = WideText::Widen(title.value_or(ProgramInfo::kName));
    const std::wstring body = WideText::Widen(text);
    HWND owner = FrontWindow();
    g_centreOn = owner;
    if (owner && !g_hook) g_hook = SetWindowsHookExW(WH_CBT, CentreOnOwner, nullptr, GetCurrentThreadId());
    // The style's numbers are the system's own: the buttons in the low bits, the icon above them.
    // Task-modal where there is no window, so the box never hides behind another program.
    UINT flags = static_cast<UINT>(style) | MB_SETFOREGROUND;
    if (!owner) flags |= MB_TASKMODAL;
    const int answer = MessageBoxW(owner, body.c_str(), caption.c_str(), flags);
    if (g_hook) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
    switch (answer) {
        case IDYES: return PromptAnswer::Yes;
        case IDNO: return PromptAnswer::No;
        case 0:
            // No box could be shown (out of memory): a question is not taken as Yes.
            return (static_cast<UINT>(style) & MB_TYPEMASK) == MB_YESNO ? PromptAnswer::No : PromptAnswer::Ok;
        default: return PromptAnswer::Ok;
    }
}

}  // namespace quillmere::WinPrompt
