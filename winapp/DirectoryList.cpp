#include "winapp/DirectoryList.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <exception>

#include "platform/NulByte.h"
#include "platform/PlatformOps.h"
#include "platform/SystemFiles.h"
#include "platform/win32/FolderSearch.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Handle.h"
#include "winapp/DriveList.h"
#include "winapp/StockIcons.h"

namespace quillmere {

namespace {

constexpr int kIndentPixels = 8;  // per level, at 96 dots per inch

// The sub-folders in the order a user reads them: by name, capitals and small letters alike.
std::vector<std::wstring> SubFolders(const std::string& folder) {
    const std::string pattern = win32::InFolder(folder, "*");
    std::vector<std::wstring> names;
    for (const win32::Entry& entry : win32::Search(win32::Split(pattern), pattern).entries) {
        if (win32::IsFolder(entry.attributes)) names.push_back(entry.wideName);
    }
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size())) == CSTR_LESS_THAN;
    });
    return names;
}

// The folder's names as the file system holds them, so that "c:\progra~1\PAT98" opens and goes
// back to the main window as "C:\Program Files\Pat98". A name that cannot be looked up stays as
// typed.
std::wstring NamesOnDisk(const std::wstring& folder) {
    std::wstring result = folder.substr(0, 3);
    for (std::size_t start = 3; start < folder.size();) {
        const std::size_t end = std::min(folder.find(L'\\', start), folder.size());
        const std::wstring typed = folder.substr(start, end - start);
        const std::wstring parent = result;
        if (result.size() > 3) result += L'\\';
        result += typed;
        start = end + 1;
        if (typed.find_first_of(L"*?<>\"") != std::wstring::npos) continue;
        WIN32_FIND_DATAW data{};
        const FindHandle find(::FindFirstFileExW(LongPath::Of(WideText::Narrow(parent), typed).c_str(), FindExInfoBasic,
                                                 &data, FindExSearchNameMatch, nullptr, 0));
        if (find.IsValid()) result.replace(result.size() - typed.size(), typed.size(), data.cFileName);
    }
    return result;
}

}  // namespace

// Only a path that begins at a drive's root is taken: anything else would be read against
// whatever folder is current, which the user never sees.
std::wstring CleanFolder(const std::string& folder) {
    NulByte::Refuse(folder);
    const auto incomplete = [&] { return PlatformError(folder + ": フォルダの場所が完全ではありません。"); };
    if (DriveLetterOf(folder) == 0 || folder.size() < 3 || (folder[2] != '\\' && folder[2] != '/')) throw incomplete();
    const std::wstring wide = WideText::Widen(folder);
    std::wstring full(::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    // A device name anywhere makes the whole path the device ("\\.\CON").
    if (full.size() < 3 || full[1] != L':' || full[2] != L'\\') throw incomplete();
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    full[0] = static_cast<wchar_t>(::towupper(full[0]));
    return full;
}

std::vector<std::wstring> FolderChain(const std::wstring& folder) {
    std::vector<std::wstring> chain{folder.substr(0, 3)};
    for (std::size_t at = folder.find(L'\\', 3); chain.back() != folder; at = folder.find(L'\\', at + 1)) {
        chain.push_back(folder.substr(0, at));
    }
    return chain;
}

DirectoryList::DirectoryList(HWND listBox, std::function<void(const std::string&)> onOpenFailed)
    : m_list(listBox), m_onOpenFailed(std::move(onOpenFailed)) {
    m_tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, ::GetParent(m_list), nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    if (m_tip) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = m_list;
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        ::GetClientRect(m_list, &tool.rect);
        ::SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        ::SetWindowSubclass(m_list, ListProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    wchar_t working[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, working);
    try {
        SetPath(WideText::Narrow(working));
    } catch (const std::exception&) {
        // A working folder that has gone leaves the list empty until a folder is set.
    }
}

DirectoryList::~DirectoryList() {
    // The list and the tip go with their window; only a list outliving this object is let go of.
    if (::IsWindow(m_list)) ::RemoveWindowSubclass(m_list, ListProcedure, 0);
    if (::IsWindow(m_tip)) ::DestroyWindow(m_tip);
}

LRESULT CALLBACK DirectoryList::ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) {
    auto* self = reinterpret_cast<DirectoryList*>(data);
    switch (message) {
        case WM_MOUSEMOVE: {
            // A move onto another row takes the tip down; it comes back with that row's path.
            const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
            const int row = HIWORD(hit) == 0 ? static_cast<int>(LOWORD(hit)) : -1;
            if (row != self->m_tipRow) {
                self->m_tipRow = row;
                ::SendMessageW(self->m_tip, TTM_POP, 0, 0);
            }
            break;
        }
        case WM_NOTIFY: {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            if (info->hdr.hwndFrom != self->m_tip || info->hdr.code != TTN_GETDISPINFOW) break;
            const bool onRow = self->m_tipRow >= 0 && static_cast<std::size_t>(self->m_tipRow) < self->m_rows.size();
            self->m_tipText = onRow ? self->m_rows[static_cast<std::size_t>(self->m_tipRow)].path : L"";
            info->lpszText = self->m_tipText.data();
            return 0;
        }
        case WM_SIZE: {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = list;
            ::GetClientRect(list, &tool.rect);
            ::SendMessageW(self->m_tip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
            break;
        }
        case WM_NCDESTROY: ::RemoveWindowSubclass(list, ListProcedure, 0); break;
        default: break;
    }
    return ::DefSubclassProc(list, message, wParam, lParam);
}

void DirectoryList::SetPath(const std::string& folder) {
    // Everything is read before the list is touched, so a failure leaves it as it was.
    const std::wstring clean = CleanFolder(folder);
    SystemFiles::CheckListable(WideText::Narrow(clean));
    const std::wstring path = NamesOnDisk(clean);
    const std::string narrow = WideText::Narrow(path);
    const std::vector<std::wstring> subFolders = SubFolders(narrow);

    std::vector<Row> rows;
    for (const std::wstring& inChain : FolderChain(path)) {
        const int depth = static_cast<int>(rows.size());
        rows.push_back({depth == 0 ? inChain : inChain.substr(inChain.rfind(L'\\') + 1), inChain, depth, true});
    }
    const int depth = static_cast<int>(rows.size());
    const std::wstring prefix = path.size() == 3 ? path : path + L"\\";
    for (const std::wstring& name : subFolders) rows.push_back({name, prefix + name, depth, false});

    m_rows = std::move(rows);
    m_path = narrow;
    m_tipRow = -1;
    if (m_tip) ::SendMessageW(m_tip, TTM_POP, 0, 0);
    ::SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    for (const Row& row : m_rows) ::SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.name.c_str()));
    SetScrollWidth();
    ::SendMessageW(m_list, LB_SETCURSEL, static_cast<WPARAM>(depth - 1), 0);
    ::SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_list, nullptr, TRUE);
}

bool DirectoryList::OpenHighlighted() {
    const LRESULT row = ::SendMessageW(m_list, LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return false;
    if (WideText::Narrow(m_rows[static_cast<std::size_t>(row)].path) == m_path) return false;
    Open(static_cast<std::size_t>(row));
    return true;
}

void DirectoryList::OnCommand(WORD notification) {
    if (notification != LBN_DBLCLK) return;
    const LRESULT row = ::SendMessageW(m_list, LB_GETCURSEL, 0, 0);
    if (row >= 0 && static_cast<std::size_t>(row) < m_rows.size()) Open(static_cast<std::size_t>(row));
}

void DirectoryList::Open(std::size_t row) {
    // Copied: a successful SetPath replaces the rows.
    const std::string folder = WideText::Narrow(m_rows[row].path);
    try {
        SetPath(folder);
    } catch (const std::exception& e) {
        m_onOpenFailed(e.what());
    }
}

// The scroll range reaches the end of the deepest row's name.
void DirectoryList::SetScrollWidth() const {
    int widest = 0;
    for (const Row& row : m_rows)
        widest = std::max(widest, StockIcons::IconRowWidth(m_list, m_iconSize, Indent(row), row.name));
    ::SendMessageW(m_list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
}

int DirectoryList::Indent(const Row& row) const {
    return row.depth * kIndentPixels * m_iconSize / 16;
}

void DirectoryList::Draw(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= m_rows.size()) {
        // An empty list that has the focus still shows where it is.
        if ((item.itemState & ODS_FOCUS) != 0) ::DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    const Row& row = m_rows[item.itemID];
    StockIcons::DrawIconRow(item, StockIcons::StockIcon(row.inChain ? SIID_FOLDEROPEN : SIID_FOLDER), m_iconSize,
                            Indent(row), row.name, StockIcons::LongText::Cut);
}

void DirectoryList::SetRowHeight(int iconSize) {
    m_iconSize = iconSize;
    ::SendMessageW(m_list, LB_SETITEMHEIGHT, 0, StockIcons::IconRowHeight(m_list, iconSize) + 2);
    SetScrollWidth();
}

}  // namespace quillmere
