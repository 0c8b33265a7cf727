#include "winapp/DriveList.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/PlatformOps.h"
#include "platform/win32/WideText.h"
#include "winapp/StockIcons.h"

namespace quillmere {

namespace {

// While it lives, a drive without a medium answers "not ready" at once instead of asking the user
// to insert one in a system box that would block the dialog.
class NoDiskPrompts {
public:
    NoDiskPrompts() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_old); }
    ~NoDiskPrompts() { ::SetThreadErrorMode(m_old, nullptr); }
    NoDiskPrompts(const NoDiskPrompts&) = delete;
    NoDiskPrompts& operator=(const NoDiskPrompts&) = delete;

private:
    DWORD m_old = 0;
};

const wchar_t* KindName(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE: return L"リムーバブル ディスク";
        case DRIVE_FIXED: return L"ローカル ディスク";
        case DRIVE_REMOTE: return L"ネットワーク ドライブ";
        case DRIVE_CDROM: return L"CD/DVD ドライブ";
        case DRIVE_RAMDISK: return L"RAM ディスク";
        default: return nullptr;
    }
}

SHSTOCKICONID IconOf(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE: return SIID_DRIVEREMOVE;
        case DRIVE_REMOTE: return SIID_DRIVENET;
        case DRIVE_CDROM: return SIID_DRIVECD;
        case DRIVE_RAMDISK: return SIID_DRIVERAM;
        default: return SIID_DRIVEFIXED;
    }
}

}  // namespace

std::vector<Drive> SystemDrives() {
    const NoDiskPrompts noPrompts;
    std::vector<Drive> drives;
    const DWORD letters = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((letters & (1u << i)) == 0) continue;
        const auto letter = static_cast<wchar_t>(L'A' + i);
        const std::wstring root{letter, L':', L'\\'};
        const UINT type = ::GetDriveTypeW(root.c_str());
        wchar_t label[MAX_PATH + 1] = {};
        // Fails with "not ready" when there is no medium; the kind of drive names it then.
        const bool named =
            ::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
            label[0] != L'\0';
        const wchar_t* name = named ? label : KindName(type);
        drives.push_back({letter, type, name ? root + L"  [" + name + L"]" : root});
    }
    return drives;
}

wchar_t DriveLetterOf(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return 0;
    const char c = path[0];
    if (c >= 'a' && c <= 'z') return static_cast<wchar_t>(L'A' + (c - 'a'));
    if (c >= 'A' && c <= 'Z') return static_cast<wchar_t>(c);
    return 0;
}

DriveList::DriveList(HWND combo, std::function<void()> onChanged)
    : m_combo(combo), m_onChanged(std::move(onChanged)), m_drives(SystemDrives()) {
    for (const Drive& drive : m_drives) {
        ::SendMessageW(m_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.text.c_str()));
    }
    wchar_t working[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, working);
    const wchar_t workingDrive = DriveLetterOf(WideText::Narrow(working));
    m_current = m_drives.empty() ? -1 : 0;
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        if (m_drives[i].letter == workingDrive) m_current = static_cast<int>(i);
    }
    ::SendMessageW(m_combo, CB_SETCURSEL, static_cast<WPARAM>(m_current), 0);
}

std::string DriveList::DriveFolder() const {
    if (m_current < 0) throw PlatformError("ドライブがありません。");
    // "X:" alone is the drive's current folder, which the system keeps per drive.
    const wchar_t drive[] = {m_drives[static_cast<std::size_t>(m_current)].letter, L':', L'\0'};
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(drive, MAX_PATH, folder, nullptr);
    if (length == 0 || length >= MAX_PATH) return WideText::Narrow(std::wstring(drive) + L"\\");
    return WideText::Narrow(folder);
}

void DriveList::SetDrive(const std::string& path) {
    const wchar_t letter = DriveLetterOf(path);
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        if (letter != 0 && m_drives[i].letter == letter) {
            ::SendMessageW(m_combo, CB_SETCURSEL, i, 0);
            Select(static_cast<int>(i));
            return;
        }
    }
    throw PlatformError(path + ": ドライブが見つかりません。");
}

void DriveList::OnCommand(WORD notification) {
    // While the list is open each arrow key moves the selection; only the closing settles it.
    if (notification == CBN_SELCHANGE && ::SendMessageW(m_combo, CB_GETDROPPEDSTATE, 0, 0)) return;
    if (notification == CBN_SELCHANGE || notification == CBN_CLOSEUP) {
        Select(static_cast<int>(::SendMessageW(m_combo, CB_GETCURSEL, 0, 0)));
    }
}

void DriveList::Select(int index) {
    if (index < 0 || index == m_current) return;
    m_current = index;
    m_onChanged();
}

void DriveList::Draw(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= m_drives.size()) {
        ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    const Drive& drive = m_drives[item.itemID];
    const wchar_t root[] = {drive.letter, L':', L'\\', L'\0'};
    StockIcons::DrawIconRow(item, StockIcons::StockIcon(IconOf(drive.type), root), m_iconSize, 0, drive.text,
                            StockIcons::LongText::Shortened);
}

void DriveList::SetRowHeight(int iconSize) {
    m_iconSize = iconSize;
    const int height = StockIcons::IconRowHeight(m_combo, iconSize);
    ::SendMessageW(m_combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    ::SendMessageW(m_combo, CB_SETITEMHEIGHT, 0, height + 2);
    // The open list as wide as its widest row, so the drives' names show whole.
    int widest = 0;
    for (const Drive& drive : m_drives)
        widest = std::max(widest, StockIcons::IconRowWidth(m_combo, iconSize, 0, drive.text));
    const int droppedWidth = widest + ::GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageW(m_combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(droppedWidth), 0);
}

}  // namespace quillmere
