// DriveList: the folder dialog's drop-down list of drive letters, on an owner-drawn COMBOBOX
// (CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS) that shows each drive's icon.
//
// A row reads "C:\  [System]": the root, then the volume's own name. A drive without a name, or
// without a medium to read one from (an empty card reader or DVD drive), shows what kind of drive
// it is instead, so the row never stays blank and no medium is waited for.
// Every change of the selected drive, by the user or by SetDrive, calls onChanged at once, so the
// handler may change the drive again from inside (the folder dialog falls back that way from a
// drive that cannot be read). Arrowing through the open list changes nothing until it closes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quillmere {

struct Drive {
    wchar_t letter;     // 'A'..'Z'
    UINT type;          // DRIVE_FIXED, DRIVE_REMOVABLE, ... as GetDriveTypeW answers
    std::wstring text;  // the row's text
};

// The drive letters in use, each with its row text. Reads no medium that is not there: the
// system's "insert a disk" box is turned off for the look-up.
std::vector<Drive> SystemDrives();

// The drive letter a path begins with ("d:\x" -> 'D'), or 0 when it begins with none.
wchar_t DriveLetterOf(const std::string& path);

class DriveList {
public:
    // Fills combo and starts on the drive of the working folder, without calling onChanged.
    DriveList(HWND combo, std::function<void()> onChanged);

    // The selected drive's current folder: the working folder on the working folder's drive, the
    // drive's root elsewhere (unless the program has been on that drive before).
    std::string DriveFolder() const;
    // Selects the drive the path begins with. Throws PlatformError when it names no listed drive.
    void SetDrive(const std::string& path);

    // The parent window passes these on from WM_COMMAND and WM_DRAWITEM.
    void OnCommand(WORD notification);
    void Draw(const DRAWITEMSTRUCT& item) const;
    // Row height for the list's font and the icon size; set once the font is in place.
    void SetRowHeight(int iconSize);

private:
    void Select(int index);

    HWND m_combo;
    std::function<void()> m_onChanged;
    std::vector<Drive> m_drives;
    int m_current = -1;
    int m_iconSize = 16;
};

}  // namespace quillmere
