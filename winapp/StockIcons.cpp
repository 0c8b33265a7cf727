#include "winapp/StockIcons.h"

#include <algorithm>
#include <map>

namespace quillmere::StockIcons {

namespace {

// The gap between the icon and the text, and around the row's ends.
constexpr int kGap = 3;

}  // namespace

HICON StockIcon(SHSTOCKICONID id, const wchar_t* lookAlike) {
    static std::map<SHSTOCKICONID, HICON> icons;
    if (const auto known = icons.find(id); known != icons.end()) return known->second;
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    HICON icon = nullptr;
    if (SUCCEEDED(::SHGetStockIconInfo(id, SHGSI_ICON | SHGSI_SMALLICON, &info))) icon = info.hIcon;
    if (!icon) {
        SHFILEINFOW file{};
        const UINT open = id == SIID_FOLDEROPEN ? SHGFI_OPENICON : 0;
        if (::SHGetFileInfoW(lookAlike, FILE_ATTRIBUTE_DIRECTORY, &file, sizeof file,
                             SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | open)) {
            icon = file.hIcon;
        }
    }
    icons.emplace(id, icon);
    return icon;
}

void DrawIconRow(const DRAWITEMSTRUCT& item, HICON icon, int iconSize, int indent, const std::wstring& text,
                 LongText longText) {
    HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &area, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    int left = area.left + kGap + indent;
    if (icon) {
        const int top = area.top + (area.bottom - area.top - iconSize) / 2;
        ::DrawIconEx(dc, left, top, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
    }
    left += iconSize + kGap;

    // The list selects its font into the DC for its own rows, the combo box's edit field not
    // always: take the control's font either way.
    auto* font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textArea{left, area.top, area.right - kGap, area.bottom};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (longText == LongText::Shortened ? DT_END_ELLIPSIS : 0));
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
    if (oldFont) ::SelectObject(dc, oldFont);

    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) ::DrawFocusRect(dc, &area);
}

int IconRowWidth(HWND list, int iconSize, int indent, const std::wstring& text) {
    HDC dc = ::GetDC(list);
    auto* font = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (oldFont) ::SelectObject(dc, oldFont);
    ::ReleaseDC(list, dc);
    return kGap + indent + iconSize + kGap + size.cx + kGap;
}

int IconRowHeight(HWND list, int iconSize) {
    HDC dc = ::GetDC(list);
    auto* font = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    if (oldFont) ::SelectObject(dc, oldFont);
    ::ReleaseDC(list, dc);
    return std::max<int>(metrics.tmHeight, iconSize);
}

}  // namespace quillmere::StockIcons
