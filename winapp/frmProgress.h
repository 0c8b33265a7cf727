// frmProgress: the small window over the main window while a long backup copies: the stamp
// folder's name, a bar by bytes, "n / N ファイル", the file being copied and 中止 (Stop). Stop,
// Esc and the close box do not close it; they call the stop handler, which asks the user.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/CopyMonitor.h"
#include "winapp/NativeWindow.h"
#include "winapp/WinLayout.h"

namespace quillmere {

class frmProgress final : public NativeWindow {
public:
    // Shows itself over owner at once, with the activation, so Esc and Enter reach Stop.
    frmProgress(const std::wstring& stampFolderName, std::function<void()> onStop, HWND owner);

    void Show(const CopyProgress& progress);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void()> m_onStop;
    std::unique_ptr<WinLayout> m_layout;
    HWND prgBytes = nullptr;
    HWND lblCount = nullptr;
    HWND lblFile = nullptr;
    std::wstring m_shownCount;
    std::wstring m_shownFile;
};

}  // namespace quillmere
