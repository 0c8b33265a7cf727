#include "winapp/frmMain.h"

#include <cmath>
#include <iterator>

#include "platform/ProgramInfo.h"
#include "platform/StopRequest.h"
#include "platform/win32/WideText.h"
#include "winapp/AboutWindow.h"
#include "winapp/BackgroundCopy.h"
#include "winapp/BusyPointer.h"
#include "winapp/ControlIds.h"
#include "winapp/HandlerGuard.h"
#include "winapp/SelectFolderWindow.h"
#include "winapp/TypedComboText.h"

namespace quillmere {

namespace {

constexpr int kTwipsPerInch = 1440;
// Posted to the window once the file-type list has opened, to put the typed text back.
constexpr UINT kKeepFilterText = WM_APP + 1;

// Positions are on the whole desktop, which spans monitors of different DPI: they are counted at
// the system's DPI, the same for every monitor, so a stored place comes back where it was.
int PositionToPixels(float twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * GetDpiForSystem() / kTwipsPerInch));
}

int PositionToTwips(int pixels) {
    return static_cast<int>(std::lround(static_cast<double>(pixels) * kTwipsPerInch / GetDpiForSystem()));
}

}  // namespace

frmMain::frmMain(PlatformOps& ops) : m_ops(ops), m_form(ops, *this) {
    using namespace ControlIds;
    if (!Create(WideText::Widen(ProgramInfo::kName), nullptr)) return;
    m_layout = std::make_unique<WinLayout>(Handle());
    m_layout->SetClientSize(6105, 2580);

    const wchar_t* const labels[] = {L"コピー元フォルダ", L"コピー先フォルダ", L"ファイル種別"};
    const int rowTops[] = {240, 720, 1260};
    for (int i = 0; i < 3; ++i) {
        m_layout->FitText(m_layout->Add(kLabel1 + i, L"STATIC", labels[i], SS_LEFTNOWORDWRAP | SS_CENTERIMAGE,
                                        {240, rowTops[i], i == 2 ? 1455 : 1395, 315}));
    }
    for (int i = 0; i < 2; ++i) {
        txtFolder[i] = m_layout->Add(kTxtFolder + i, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL,
                                     {1800, rowTops[i], 3555, 315}, WS_EX_CLIENTEDGE);
        btnBrowseFolser[i] = m_layout->Add(kBtnBrowseFolser + i, L"BUTTON", L"参照", WS_TABSTOP | BS_PUSHBUTTON,
                                           {5400, rowTops[i], 555, 315});
    }
    // The list stays the nine wildcards: a typed one is kept exactly as typed, never added and
    // never completed, because one character changes what it matches ("*." only names without
    // an extension, "*.*" every name).
    cmbFileNameFilter =
        m_layout->Add(kCmbFileNameFilter, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                      {1800, 1260, 3555, 300});
    for (const wchar_t* item :
         {L"*.*", L"*.jra", L"*.csv", L"*.lzh", L"*.dat", L"*.txt", L"*.xls", L"*.doc", L"*.mdb"}) {
        SendMessageW(cmbFileNameFilter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    m_filterText = std::make_unique<TypedComboText>(cmbFileNameFilter, Handle(), kKeepFilterText);
    m_layout->Add(kCmdAbout, L"BUTTON", L"ﾊﾞｰｼﾞｮﾝ情報", WS_TABSTOP | BS_PUSHBUTTON, {240, 1860, 1155, 495});
    m_layout->Add(kBtnExec, L"BUTTON", L"実行", WS_TABSTOP | BS_DEFPUSHBUTTON, {3180, 1860, 1155, 495});
    m_layout->Add(kBtnQuit, L"BUTTON", L"終了", WS_TABSTOP | BS_PUSHBUTTON, {4500, 1860, 1155, 495});
    // Enter anywhere presses btnExec, or the push button that has the focus.
    SendMessageW(Handle(), DM_SETDEFID, kBtnExec, 0);

    RunWinHandler(m_ops, [this] { m_form.Form_Load(); });
}

frmMain::~frmMain() = default;

void frmMain::Show(int showCommand) {
    ShowWindow(Handle(), showCommand);
    UpdateWindow(Handle());
    SetFocus(txtFolder[0]);
}

LRESULT frmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == ControlIds::kCmbFileNameFilter) {
                if (m_filterText) m_filterText->OnNotify(HIWORD(wParam));
                return 0;
            }
            // Buttons report a click, Enter and Esc come from the dialog manager with no code.
            if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
            return 0;
        case kKeepFilterText:
            if (m_filterText) m_filterText->KeepText();
            return 0;
        case WM_CLOSE: OnCommand(IDCANCEL); return 0;
        case WM_DPICHANGED:
            if (m_layout) m_layout->Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        // Logout or shutdown: the program agrees, and is ended once it has answered WM_ENDSESSION.
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            if (wParam) EndSession();
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return Default(message, wParam, lParam);
    }
}

void frmMain::OnCommand(int id) {
    using namespace ControlIds;
    if (m_copy) {
        // While a backup copies, only the questions whether to stop it reach the window.
        if (id == IDCANCEL) m_copy->AskToStop();
        return;
    }
    switch (id) {
        case kBtnExec: RunWinHandler(m_ops, [this] { m_form.btnExec_Click(); }); break;
        case kBtnBrowseFolser:
        case kBtnBrowseFolser + 1:
            RunWinHandler(m_ops, [this, id] { m_form.btnBrowseFolser_Click(id - kBtnBrowseFolser); });
            break;
        case kCmdAbout: RunWinHandler(m_ops, [this] { m_form.cmdAbout_Click(); }); break;
        case kBtnQuit:
        case IDCANCEL: Unload(); break;
        default: break;
    }
}

// The close box, Quit and Esc all end here. The unload is never refused: a position that cannot
// be stored is reported and the program still ends.
void frmMain::Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    RunWinHandler(m_ops, [this] { m_form.Form_Unload(); });
    DestroyWindow(Handle());
}

// The system ends the program once this returns, perhaps with a backup's handler further up the
// stack: a running copy is stopped at its next safe point (the finished copies stay whole, the
// unfinished one is removed) and waited for, and what the backup and Quit would store is stored
// here. No box is shown from now on; nobody may be there to close it. The window then goes, so
// the program also ends where the system does not end it.
void frmMain::EndSession() {
    StopRequest::Request();
    const bool copying = m_copy != nullptr;
    if (copying) m_copy->StopAndWait();
    if (m_unloaded) return;
    m_unloaded = true;
    RunWinHandler(m_ops, [this, copying] { m_form.Session_End(copying); });
    DestroyWindow(Handle());
}

HWND frmMain::Input(BackupInput input) const {
    switch (input) {
        case BackupInput::SourceFolder: return txtFolder[0];
        case BackupInput::DestinationFolder: return txtFolder[1];
        case BackupInput::FileType: break;
    }
    return cmbFileNameFilter;
}

std::string frmMain::InputText(BackupInput input) const {
    return TextOf(Input(input));
}

void frmMain::SetInputText(BackupInput input, const std::string& text) {
    SetText(Input(input), text);
}

void frmMain::FocusInput(BackupInput input) {
    // Through the dialog manager, so the default button and the selection follow as with Tab.
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Input(input)), TRUE);
}

void frmMain::SetMousePointer(MousePointer pointer) {
    BusyPointer::Set(pointer);
}

void frmMain::WatchCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) {
    BackgroundCopy watcher(m_ops, Handle());
    m_copy = &watcher;
    try {
        watcher.Watch(stampFolder, copy);
    } catch (...) {
        m_copy = nullptr;
        throw;
    }
    m_copy = nullptr;
}

// The place is the frame's top-left corner; the window shows if any part of it lies in the work
// area of a monitor.
bool frmMain::ShowsOnAScreen(float leftTwips, float topTwips) const {
    RECT frame;
    GetWindowRect(Handle(), &frame);
    const int left = PositionToPixels(leftTwips);
    const int top = PositionToPixels(topTwips);
    struct Query {
        RECT window;
        bool shows;
    } query{{left, top, left + frame.right - frame.left, top + frame.bottom - frame.top}, false};
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            auto& q = *reinterpret_cast<Query*>(data);
            MONITORINFO info{};
            info.cbSize = sizeof info;
            RECT common;
            if (GetMonitorInfoW(monitor, &info) && IntersectRect(&common, &info.rcWork, &q.window)) q.shows = true;
            return !q.shows;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.shows;
}

void frmMain::MoveTo(float leftTwips, float topTwips) {
    SetWindowPos(Handle(), nullptr, PositionToPixels(leftTwips), PositionToPixels(topTwips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int frmMain::LeftTwips() const {
    RECT frame;
    GetWindowRect(Handle(), &frame);
    return PositionToTwips(frame.left);
}

int frmMain::TopTwips() const {
    RECT frame;
    GetWindowRect(Handle(), &frame);
    return PositionToTwips(frame.top);
}

bool frmMain::IsMinimised() const {
    return IsIconic(Handle());
}

DialogResult frmMain::ShowSelectFolder(std::string& folder) {
    if (!m_selectFolder) m_selectFolder = std::make_unique<SelectFolderWindow>(Handle(), m_ops);
    return m_selectFolder->Run(folder);
}

void frmMain::ShowAbout() {
    if (!m_about) m_about = std::make_unique<AboutWindow>(Handle(), m_ops);
    m_about->Run();
}

}  // namespace quillmere
