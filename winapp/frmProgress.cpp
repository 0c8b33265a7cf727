#include "winapp/frmProgress.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"
#include "winapp/ControlIds.h"

namespace quillmere {

namespace {

// The bar counts in thousandths, so copies of any size fit its range.
constexpr int kBarSteps = 1000;

// Centred over the owner's frame.
void CentreOver(HWND window, HWND owner) {
    RECT outer;
    RECT self;
    if (!GetWindowRect(owner, &outer) || !GetWindowRect(window, &self)) return;
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    SetWindowPos(window, nullptr, (outer.left + outer.right - width) / 2, (outer.top + outer.bottom - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

frmProgress::frmProgress(const std::wstring& stampFolderName, std::function<void()> onStop, HWND owner)
    : m_onStop(std::move(onStop)) {
    using namespace ControlIds;
    if (!Create(L"バックアップ", owner)) return;
    m_layout = std::make_unique<WinLayout>(Handle());
    m_layout->SetClientSize(5100, 2190);
    m_layout->Add(kLblFolder, L"STATIC", stampFolderName, SS_LEFTNOWORDWRAP | SS_NOPREFIX, {240, 180, 4620, 255});
    prgBytes = m_layout->Add(kPrgBytes, PROGRESS_CLASSW, L"", PBS_SMOOTH, {240, 540, 4620, 285});
    SendMessageW(prgBytes, PBM_SETRANGE32, 0, kBarSteps);
    lblCount = m_layout->Add(kLblCount, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, {240, 930, 4620, 255});
    // A long name is cut in its middle, where names of data files differ least.
    lblFile = m_layout->Add(kLblFile, L"STATIC", L"", SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX, {240, 1230, 4620, 255});
    m_layout->Add(kCmdStop, L"BUTTON", L"中止", WS_TABSTOP | BS_DEFPUSHBUTTON, {3705, 1575, 1155, 420});
    SendMessageW(Handle(), DM_SETDEFID, kCmdStop, 0);
    CentreOver(Handle(), owner);
    ShowWindow(Handle(), SW_SHOWNORMAL);
}

void frmProgress::Show(const CopyProgress& progress) {
    if (!Handle()) return;
    const double share = progress.bytesTotal == 0
                             ? 1.0
                             : static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytesTotal);
    SendMessageW(prgBytes, PBM_SETPOS, static_cast<WPARAM>(share * kBarSteps), 0);
    // Set only when changed: a static control repaints on every new text, and flickers.
    const std::wstring count =
        std::to_wstring(progress.filesDone) + L" / " + std::to_wstring(progress.filesTotal) + L" ファイル";
    if (count != m_shownCount) SetWindowTextW(lblCount, (m_shownCount = count).c_str());
    const std::wstring file = WideText::Widen(progress.currentFile);
    if (file != m_shownFile) SetWindowTextW(lblFile, (m_shownFile = file).c_str());
}

LRESULT frmProgress::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED &&
                (LOWORD(wParam) == ControlIds::kCmdStop || LOWORD(wParam) == IDCANCEL)) {
                m_onStop();
            }
            return 0;
        case WM_CLOSE: m_onStop(); return 0;
        case WM_DPICHANGED:
            if (m_layout) m_layout->Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETCURSOR:
            // The main window below shows the hourglass; this one takes clicks.
            if (LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_ARROW));
                return TRUE;
            }
            break;
        default: break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace quillmere
