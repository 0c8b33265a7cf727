// Start-up of the Windows program: common controls, the real platform and the main window. The
// program ends when the main window closes.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "platform/win32/Win32Error.h"
#include "winapp/WinPlatform.h"
#include "winapp/frmMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // The address launcher may hand over to a COM server, which wants a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    int status = 1;
    {
        quillmere::WinPlatform platform;
        quillmere::frmMain window(platform);
        if (!window.Handle()) {
            // Out of window handles or memory: the one thing left to do is to say so.
            const DWORD error = GetLastError();
            platform.ShowPrompt("ウィンドウを作成できませんでした。\n" + quillmere::Win32Error::Reason(error),
                                quillmere::PromptStyle::OkExclamation, std::nullopt);
        } else {
            window.Show(showCommand);
            MSG message;
            BOOL got;
            while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
                // The modal windows run loops of their own; this one serves the main window.
                if (IsDialogMessageW(window.Handle(), &message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            status = got == 0 ? static_cast<int>(message.wParam) : 1;
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}
