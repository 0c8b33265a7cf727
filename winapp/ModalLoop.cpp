#include "winapp/ModalLoop.h"

namespace quillmere::ModalLoop {

void Run(HWND window) {
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (IsWindow(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (IsWindow(window)) EndModal(window);
    if (owner) EnableWindow(owner, TRUE);
}

void EndModal(HWND window) {
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(window);
}

}  // namespace quillmere::ModalLoop
