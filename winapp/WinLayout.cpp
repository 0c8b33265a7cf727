#include "winapp/WinLayout.h"

#include <cmath>
#include <iterator>

#include "platform/win32/WideText.h"

namespace quillmere {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr double kSmallestPoints = 6.0;
constexpr double kPointStep = 0.25;

// The UI fonts of Japanese Windows, newest first; then the free families other systems carry
// under these windows, whose widths come closest, so that the captions still fit their controls.
constexpr const wchar_t* kUiFamilies[] = {L"Yu Gothic UI", L"Meiryo UI",  L"MS UI Gothic",    L"MS PGothic",
                                          L"IPAPGothic",   L"VL PGothic", L"Noto Sans CJK JP"};

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FamilyInstalled(HDC dc, const wchar_t* family) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    wcsncpy_s(query.lfFaceName, family, _TRUNCATE);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

const wchar_t* UiFamily() {
    static const wchar_t* const family = [] {
        HDC screen = GetDC(nullptr);
        const wchar_t* chosen = kUiFamilies[0];
        for (const wchar_t* candidate : kUiFamilies) {
            if (FamilyInstalled(screen, candidate)) {
                chosen = candidate;
                break;
            }
        }
        ReleaseDC(nullptr, screen);
        return chosen;
    }();
    return family;
}

}  // namespace

UINT DpiOf(HWND window) {
    const UINT dpi = window ? GetDpiForWindow(window) : 0;
    if (dpi != 0) return dpi;
    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return systemDpi > 0 ? static_cast<UINT>(systemDpi) : USER_DEFAULT_SCREEN_DPI;
}

HFONT CreateUiFont(UINT dpi, double points) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72));
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy_s(font.lfFaceName, UiFamily(), _TRUNCATE);
    return CreateFontIndirectW(&font);
}

WinLayout::WinLayout(HWND window) : m_window(window), m_dpi(DpiOf(window)), m_font(CreateUiFont(m_dpi)) {
    SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
}

WinLayout::~WinLayout() {
    // The controls may outlive this object only inside a window being destroyed, and then draw
    // no more.
    for (const Placed& placed : m_placed) {
        if (placed.ownFont) DeleteObject(placed.ownFont);
    }
    if (m_font) DeleteObject(m_font);
}

int WinLayout::ToPixels(double twips) const {
    return static_cast<int>(std::lround(twips * m_dpi / kTwipsPerInch));
}

int WinLayout::FromPixels(int pixels) const {
    return static_cast<int>(std::lround(static_cast<double>(pixels) * kTwipsPerInch / m_dpi));
}

HWND WinLayout::Add(int id, const wchar_t* className, std::wstring_view text, DWORD style, TwipsRect rect,
                    DWORD exStyle) {
    const std::wstring caption(text);
    HWND control =
        CreateWindowExW(exStyle, className, caption.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, m_window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!control) return nullptr;
    m_placed.push_back({control, rect});
    Place(m_placed.back());
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return control;
}

void WinLayout::Place(const Placed& placed) const {
    // A drop-down combo box's height is that of its open list; its closed height follows the font.
    const bool dropDown = GetWindowLongPtrW(placed.control, GWL_STYLE) & (CBS_DROPDOWN | CBS_DROPDOWNLIST);
    wchar_t className[16] = {};
    GetClassNameW(placed.control, className, static_cast<int>(std::size(className)));
    const bool combo = _wcsicmp(className, L"ComboBox") == 0 && dropDown;
    const int height = combo ? ToPixels(placed.rect.height) * 8 : ToPixels(placed.rect.height);
    MoveWindow(placed.control, ToPixels(placed.rect.left), ToPixels(placed.rect.top), ToPixels(placed.rect.width),
               height, TRUE);
}

void WinLayout::FitText(HWND control) {
    for (Placed& placed : m_placed) {
        if (placed.control != control) continue;
        placed.fit = true;
        Fit(placed);
    }
}

void WinLayout::Fit(Placed& placed) {
    const std::wstring text = WideTextOf(placed.control);
    const int room = ToPixels(placed.rect.width);
    HFONT chosen = m_font;
    HDC dc = GetDC(placed.control);
    LOGFONTW base{};
    GetObjectW(m_font, sizeof base, &base);
    const double basePoints = -base.lfHeight * 72.0 / m_dpi;
    for (double points = basePoints; dc; points -= kPointStep) {
        HFONT candidate = points == basePoints ? m_font : CreateUiFont(m_dpi, points);
        const HGDIOBJ previous = SelectObject(dc, candidate);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, previous);
        if (size.cx <= room || points - kPointStep < kSmallestPoints) {
            chosen = candidate;
            break;
        }
        if (candidate != m_font) DeleteObject(candidate);
    }
    if (dc) ReleaseDC(placed.control, dc);
    SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
    if (placed.ownFont) DeleteObject(placed.ownFont);
    placed.ownFont = chosen == m_font ? nullptr : chosen;
}

void WinLayout::SetClientSize(int widthTwips, int heightTwips) {
    m_clientWidth = widthTwips;
    m_clientHeight = heightTwips;
    RECT frame{0, 0, ToPixels(widthTwips), ToPixels(heightTwips)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE)), m_dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinLayout::Rescale(UINT dpi, const RECT& suggested) {
    if (dpi == 0 || dpi == m_dpi) return;
    m_dpi = dpi;
    HFONT old = m_font;
    m_font = CreateUiFont(m_dpi);
    SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    for (Placed& placed : m_placed) {
        SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        Place(placed);
        if (placed.fit) Fit(placed);
    }
    if (old) DeleteObject(old);
    SetWindowPos(m_window, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_clientWidth > 0) SetClientSize(m_clientWidth, m_clientHeight);
    InvalidateRect(m_window, nullptr, TRUE);
}

std::wstring WideTextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string TextOf(HWND window) {
    return WideText::Narrow(WideTextOf(window));
}

void SetText(HWND window, std::string_view utf8) {
    SetWindowTextW(window, WideText::Widen(utf8).c_str());
}

}  // namespace quillmere
