#include "winapp/AboutWindow.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "platform/ProgramInfo.h"
#include "platform/win32/WideText.h"
#include "winapp/BusyPointer.h"
#include "winapp/FileImage.h"
#include "winapp/HandlerGuard.h"
#include "winapp/ModalLoop.h"
#include "winapp/NativeWindow.h"
#include "winapp/WinLayout.h"

namespace quillmere {

namespace {

enum : int {
    kPicIcon = 400,
    kLblVersion,
    kLblTitle,
    kLblDescription,
    kLabel1,
    kFrame1,
    kLabel2,
    kLabel4,
    kLabel5,
    kLabel6,
    kLabel7,
    kText1,
    kText3,
    kTxtMail,
    kLabel3,
    kLine1,
};

// The program's own icon (resources/quillmere.rc.in).
constexpr int kProgramIcon = 1;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The five usage lines, placed inside the frame "使い方".
struct UsageLine {
    int id;
    const wchar_t* text;
    TwipsRect rect;
};
constexpr TwipsRect kFrame{240, 2700, 5175, 2415};
constexpr UsageLine kUsage[] = {
    {kLabel2, L"PATフォルダとコピー先フォルダを指定して実行すれば", {240, 360, 4695, 375}},
    {kLabel4, L"コピー先フォルダの下に日時(yyyymmdd_hhmmss)で", {240, 720, 4815, 375}},
    {kLabel5, L"サブフォルダを作成し、ファイル種別にマッチするファイルを", {240, 1080, 4815, 375}},
    {kLabel6, L"コピーします。 例）zo*.jra <-単複オッズファイル", {240, 1440, 4695, 375}},
    {kLabel7, L"PATファイル以外のバックアップにも使用できます。(^o^)/", {240, 1920, 4575, 375}},
};

std::wstring Wide(const char* utf8) {
    return WideText::Widen(utf8);
}

HICON LoadIconAt(int id, int size) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

// One showing: the window with its controls and the fonts, icons and pointers they draw with.
class AboutWindow::Showing final : public NativeWindow {
public:
    Showing(AboutWindow& view, HWND owner) : m_view(view) {
        if (!Create(Wide("ﾊﾞｰｼﾞｮﾝ情報 Tarnwick"), owner)) throw PlatformError("ﾊﾞｰｼﾞｮﾝ情報: ウィンドウを作れません。");
        m_layout = std::make_unique<WinLayout>(Handle());
        m_layout->SetClientSize(5655, 5265);

        // The creation order is the Tab order; only OK is a tab stop, and Enter and Esc both press it.
        m_layout->Add(IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {4200, 240, 1260, 345});
        m_layout->Add(kPicIcon, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, {240, 240, 540, 540});
        AddLabel(kLblVersion, L"Version " + Wide(ProgramInfo::kVersion), {2400, 540, 1245, 225});
        AddLabel(kLblTitle, Wide(ProgramInfo::kName), {1050, 240, 2265, 300});
        AddLabel(kLblDescription, L"PATオッズファイルをバックアップコピーします", {1050, 960, 3885, 330});
        AddLabel(kLabel1, Wide(AboutForm::kMakerCredit), {960, 1440, 4275, 255});
        // The frame lies beneath its labels and paints around them (see FrameProcedure).
        HWND frame = m_layout->Add(kFrame1, L"BUTTON", L"使い方", BS_GROUPBOX | WS_CLIPSIBLINGS, kFrame);
        SetWindowSubclass(frame, FrameProcedure, 0, 0);
        SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        for (const UsageLine& line : kUsage) {
            AddLabel(line.id, line.text,
                     {kFrame.left + line.rect.left, kFrame.top + line.rect.top, line.rect.width, line.rect.height});
        }
        AddTextBox(kText1, L"E-Mail  :", {1680, 1740, 735, 270});
        AddTextBox(kText3, L"HomePage  :", {1380, 2040, 1035, 270});
        AddTextBox(kTxtMail, Wide(AboutForm::kMakerMail), {2520, 1740, 1215, 270}, false);
        // The links keep the size of their underlined font; their addresses are short.
        m_layout->Add(kLabel3, L"STATIC", Wide(AboutForm::kMakerHomePage), SS_LEFT | SS_NOPREFIX | SS_NOTIFY,
                      {2520, 2040, 2805, 330});
        m_layout->Add(kLine1, L"STATIC", L"", SS_BLACKRECT, {120, 2460, 5400, 15});
        for (const int link : {kTxtMail, kLabel3}) {
            SetWindowSubclass(Item(link), LinkProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
        }

        SetImages();
        CentreOn(owner);
        PostMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDOK)), TRUE);
    }

    ~Showing() override {
        FreeImages();
        if (m_handLetter) DestroyCursor(m_handLetter);
        if (m_pointingHand) DestroyCursor(m_pointingHand);
    }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) ModalLoop::EndModal(Handle());
                return 0;
            case WM_CLOSE: ModalLoop::EndModal(Handle()); return 0;
            case WM_CTLCOLORSTATIC: return Colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            case WM_DPICHANGED:
                FreeImages();
                m_layout->Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
                SetImages();
                return 0;
            case WM_NCDESTROY:
                for (const int link : {kTxtMail, kLabel3}) RemoveWindowSubclass(Item(link), LinkProcedure, 0);
                return Default(message, wParam, lParam);
            default: return Default(message, wParam, lParam);
        }
    }

private:
    HWND Item(int id) const { return GetDlgItem(Handle(), id); }

    // A caption too wide for its place (some fonts draw wider than the layout's) takes a smaller
    // size, since one cut short ("HomePage  " without its colon) misleads.
    void AddLabel(int id, const std::wstring& text, TwipsRect rect) {
        m_layout->FitText(m_layout->Add(id, L"STATIC", text, SS_LEFT | SS_NOPREFIX, rect));
    }

    // A display-only text box on the dialog's own background, outside the tab order.
    void AddTextBox(int id, const std::wstring& text, TwipsRect rect, bool fit = true) {
        HWND box = m_layout->Add(id, L"EDIT", text, ES_READONLY | ES_AUTOHSCROLL, rect);
        SetWindowSubclass(box, TextBoxProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
        // Without a border there is nothing to keep the text off the edges, and the whole width is
        // its room.
        SendMessageW(box, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
        if (fit) m_layout->FitText(box);
    }

    // The links' underlined font, the icons and the pointers, at the window's DPI.
    void SetImages() {
        const int big = MulDiv(32, static_cast<int>(m_layout->Dpi()), USER_DEFAULT_SCREEN_DPI);
        const int small = MulDiv(16, static_cast<int>(m_layout->Dpi()), USER_DEFAULT_SCREEN_DPI);
        m_programIcon = LoadIconAt(kProgramIcon, big);
        m_aboutIcon = FileImage::Icon(FileImage::kAboutIcon, small);
        if (!m_handLetter) m_handLetter = FileImage::Cursor(FileImage::kHandLetter, 0);
        if (!m_pointingHand) m_pointingHand = FileImage::Cursor(FileImage::kPointingHand, 0);
        SendMessageW(Item(kPicIcon), STM_SETICON, reinterpret_cast<WPARAM>(m_programIcon), 0);
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_aboutIcon));
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_aboutIcon));

        LOGFONTW link{};
        GetObjectW(m_layout->Font(), sizeof link, &link);
        link.lfUnderline = TRUE;
        link.lfWeight = FW_NORMAL;
        m_linkFont = CreateFontIndirectW(&link);
        for (const int id : {kTxtMail, kLabel3}) {
            SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont), TRUE);
        }
    }

    void FreeImages() {
        // The links are given the layout's font first, so neither draws with a font being freed.
        if (Handle()) {
            for (const int id : {kTxtMail, kLabel3}) {
                SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(m_layout->Font()), FALSE);
            }
        }
        if (m_linkFont) DeleteObject(m_linkFont);
        m_linkFont = nullptr;
        if (m_programIcon) DestroyIcon(m_programIcon);
        if (m_aboutIcon) DestroyIcon(m_aboutIcon);
        m_programIcon = m_aboutIcon = nullptr;
    }

    LRESULT Colour(HDC dc, HWND control) {
        const int id = GetDlgCtrlID(control);
        COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
        if (id == kTxtMail || id == kLabel3) text = kBlue;
        if (id == kLblTitle || id == kLblDescription) text = kBlack;
        SetTextColor(dc, text);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }

    void CentreOn(HWND owner) {
        RECT frame{};
        GetWindowRect(Handle(), &frame);
        RECT around{};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(owner ? owner : Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        if (!owner || !GetWindowRect(owner, &around)) around = monitor.rcWork;
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        // Kept on the screen, title bar first, when the main window sits near an edge.
        const LONG left = std::max(monitor.rcWork.left, std::min<LONG>((around.left + around.right - width) / 2,
                                                                       monitor.rcWork.right - width));
        const LONG top = std::max(monitor.rcWork.top, std::min<LONG>((around.top + around.bottom - height) / 2,
                                                                     monitor.rcWork.bottom - height));
        SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void Click(int id) {
        RunWinHandler(m_view.m_ops, [this, id] {
            if (id == kTxtMail) m_view.m_form.txtMail_Click();
            if (id == kLabel3) m_view.m_form.Label3_Click();
        });
    }

    // The text boxes are display-only: a click neither selects their text nor takes the focus;
    // on the mail address it launches the mail. They show the arrow, the links their own pointers.
    static LRESULT CALLBACK TextBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) {
        switch (message) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_CONTEXTMENU:
            case WM_MOUSEMOVE: return 0;
            case WM_LBUTTONUP: reinterpret_cast<Showing*>(self)->Click(GetDlgCtrlID(box)); return 0;
            default: return DefSubclassProc(box, message, wParam, lParam);
        }
    }

    // A frame draws its border and caption but not its inside, and the window, clipping its
    // children, leaves that to it: the frame fills it with the window's background itself.
    static LRESULT CALLBACK FrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR) {
        if (message == WM_ERASEBKGND) {
            RECT inside{};
            GetClientRect(frame, &inside);
            FillRect(reinterpret_cast<HDC>(wParam), &inside, GetSysColorBrush(COLOR_BTNFACE));
            return TRUE;
        }
        if (message == WM_NCDESTROY) RemoveWindowSubclass(frame, FrameProcedure, 0);
        return DefSubclassProc(frame, message, wParam, lParam);
    }

    static LRESULT CALLBACK LinkProcedure(HWND link, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
        auto* self = reinterpret_cast<Showing*>(data);
        if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
            HCURSOR pointer = GetDlgCtrlID(link) == kTxtMail ? self->m_handLetter : self->m_pointingHand;
            if (BusyPointer::Shown() || !pointer)
                pointer = LoadCursorW(nullptr, BusyPointer::Shown() ? IDC_WAIT : IDC_HAND);
            SetCursor(pointer);
            return TRUE;
        }
        if (message == WM_LBUTTONUP && GetDlgCtrlID(link) == kLabel3) {
            self->Click(kLabel3);
            return 0;
        }
        return DefSubclassProc(link, message, wParam, lParam);
    }

    AboutWindow& m_view;
    std::unique_ptr<WinLayout> m_layout;
    HFONT m_linkFont = nullptr;
    HICON m_programIcon = nullptr;
    HICON m_aboutIcon = nullptr;
    HCURSOR m_handLetter = nullptr;
    HCURSOR m_pointingHand = nullptr;
};

AboutWindow::AboutWindow(HWND owner, PlatformOps& ops) : m_owner(owner), m_ops(ops), m_form(ops, *this) {}

void AboutWindow::Run() {
    Showing showing(*this, m_owner);
    ModalLoop::Run(showing.Handle());
}

void AboutWindow::SetMousePointer(MousePointer pointer) {
    BusyPointer::Set(pointer);
}

}  // namespace quillmere
