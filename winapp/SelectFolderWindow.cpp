#include "winapp/SelectFolderWindow.h"

#include "winapp/DirectoryList.h"
#include "winapp/DriveList.h"
#include "winapp/HandlerGuard.h"
#include "winapp/ModalLoop.h"
#include "winapp/NativeWindow.h"
#include "winapp/WinLayout.h"

namespace quillmere {

namespace {

enum : int { kDrvList = 300, kDirList = 301 };

// The icons of the lists, at the DPI of the window they are drawn in.
int IconSize(UINT dpi) {
    return MulDiv(16, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

}  // namespace

// One showing: the window with its controls, built when shown and gone when closed.
class SelectFolderWindow::Showing final : public NativeWindow {
public:
    Showing(SelectFolderWindow& view, HWND owner) : m_view(view) {
        if (!Create(L"フォルダの選択", owner)) throw PlatformError("フォルダの選択: ウィンドウを作れません。");
        // A dialog frame shows no icon in its caption.
        SetWindowLongPtrW(Handle(), GWL_EXSTYLE, GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_DLGMODALFRAME);
        m_layout = std::make_unique<WinLayout>(Handle());
        m_layout->SetClientSize(4155, 3075);
        // The creation order is the Tab order: drives, folders, OK, Cancel.
        HWND drives = m_layout->Add(kDrvList, L"COMBOBOX", L"",
                                    WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                    {240, 180, 2235, 300});
        HWND folders = m_layout->Add(kDirList, L"LISTBOX", L"",
                                     WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                         LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                     {240, 540, 2235, 2400}, WS_EX_CLIENTEDGE);
        m_layout->Add(IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {2820, 120, 1215, 375});
        m_layout->Add(IDCANCEL, L"BUTTON", L"ｷｬﾝｾﾙ", WS_TABSTOP | BS_PUSHBUTTON, {2820, 600, 1215, 375});
        m_drvList = std::make_unique<DriveList>(drives, [this] { m_view.Dispatch(&SelectFolderForm::drvList_Change); });
        m_dirList = std::make_unique<DirectoryList>(folders, [this](const std::string& reason) {
            RunWinHandler(m_view.m_ops, [&] { m_view.m_form.dirList_OpenFailed(reason); });
        });
        SetRowHeights();
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        PlaceOnScreen(owner);
        // The focus starts on the drive list once the window shows.
        PostMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(drives), TRUE);
    }

    DriveList& Drives() const { return *m_drvList; }
    DirectoryList& Folders() const { return *m_dirList; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
            case WM_DRAWITEM: {
                const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                if (item.CtlID == kDrvList && m_drvList) m_drvList->Draw(item);
                if (item.CtlID == kDirList && m_dirList) m_dirList->Draw(item);
                return TRUE;
            }
            // The close box: no answer of its own, so the form's result stays what it was.
            case WM_CLOSE: ModalLoop::EndModal(Handle()); return 0;
            case WM_DPICHANGED:
                m_layout->Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
                SetRowHeights();
                return 0;
            default: return Default(message, wParam, lParam);
        }
    }

private:
    // Under the guard as a whole: nothing may leave a window procedure.
    void OnCommand(WORD id, WORD notification) {
        RunWinHandler(m_view.m_ops, [&] {
            switch (id) {
                case IDOK:
                    // Enter in the directory list opens the highlighted folder; only on the open
                    // folder itself does it press OK.
                    if (GetFocus() == GetDlgItem(Handle(), kDirList) && m_dirList && m_dirList->OpenHighlighted()) {
                        return;
                    }
                    m_view.Dispatch(&SelectFolderForm::btnOK_Click);
                    break;
                case IDCANCEL: m_view.Dispatch(&SelectFolderForm::btnCancel_Click); break;
                case kDrvList:
                    if (m_drvList) m_drvList->OnCommand(notification);
                    break;
                case kDirList:
                    if (m_dirList) m_dirList->OnCommand(notification);
                    break;
                default: break;
            }
        });
    }

    void SetRowHeights() {
        const int icon = IconSize(m_layout->Dpi());
        m_drvList->SetRowHeight(icon);
        m_dirList->SetRowHeight(icon);
    }

    // A fixed place rather than centred: the inside's corner 2760, 3750 twips from the corner of
    // the screen the main window is on.
    void PlaceOnScreen(HWND owner) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(owner ? owner : Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        RECT frame{};
        GetWindowRect(Handle(), &frame);
        POINT inside{0, 0};
        ClientToScreen(Handle(), &inside);
        SetWindowPos(Handle(), nullptr, monitor.rcMonitor.left + m_layout->ToPixels(2760) - (inside.x - frame.left),
                     monitor.rcMonitor.top + m_layout->ToPixels(3750) - (inside.y - frame.top), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    SelectFolderWindow& m_view;
    std::unique_ptr<WinLayout> m_layout;
    std::unique_ptr<DriveList> m_drvList;
    std::unique_ptr<DirectoryList> m_dirList;
};

SelectFolderWindow::SelectFolderWindow(HWND owner, PlatformOps& ops) : m_owner(owner), m_ops(ops), m_form(ops) {}

SelectFolderWindow::~SelectFolderWindow() = default;

DialogResult SelectFolderWindow::Run(std::string& folder) {
    return m_form.ShowDialog(*this, folder);
}

void SelectFolderWindow::ShowModal() {
    m_showing = std::make_unique<Showing>(*this, m_owner);
    Dispatch(&SelectFolderForm::Form_Load);
    ModalLoop::Run(m_showing->Handle());
    m_showing.reset();
}

void SelectFolderWindow::Close() {
    if (m_showing && m_showing->Handle()) ModalLoop::EndModal(m_showing->Handle());
}

void SelectFolderWindow::SetDrive(const std::string& folder) {
    Shown().Drives().SetDrive(folder);
}

std::string SelectFolderWindow::DriveFolder() const {
    return Shown().Drives().DriveFolder();
}

void SelectFolderWindow::SetPath(const std::string& folder) {
    Shown().Folders().SetPath(folder);
}

std::string SelectFolderWindow::Path() const {
    return Shown().Folders().Path();
}

void SelectFolderWindow::Dispatch(void (SelectFolderForm::*handler)(SelectFolderView&)) {
    RunWinHandler(m_ops, [this, handler] { (m_form.*handler)(*this); });
}

SelectFolderWindow::Showing& SelectFolderWindow::Shown() const {
    if (!m_showing) throw PlatformError("フォルダの選択: ウィンドウが開いていません。");
    return *m_showing;
}

}  // namespace quillmere
