// DirectoryList: the folder dialog's directory list, on an owner-drawn LISTBOX
// (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY): the folders from the drive's root down to
// the open folder with open-folder icons, each a step further in, then the open folder's
// sub-folders, hidden ones included, with closed-folder icons.
//
// A click only highlights a row; a double click, or Enter on a row other than the open folder,
// opens it. A row's tool tip is its full path. Path() is the open folder, never the highlighted one: "C:\" at a root,
// else the names joined by "\" without one at the end. SetPath to a folder that cannot be opened throws PlatformError
// and leaves the list as it was; a folder the user fails to open goes to onOpenFailed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quillmere {

// The folder as the list keeps it: full and cleaned ("..", "/", trailing spaces and dots),
// "C:\" at a root and no "\" at the end elsewhere, the drive letter in capitals. Throws
// PlatformError for a path that does not begin at a drive's root (relative, "C:x", a network
// share) or that the system takes for a device ("C:\tmp\con").
std::wstring CleanFolder(const std::string& folder);
// The folders from the root down to a clean folder ("C:\a\b" -> "C:\", "C:\a", "C:\a\b").
std::vector<std::wstring> FolderChain(const std::wstring& folder);

class DirectoryList {
public:
    // Opens the working folder when it can be read; the list stays empty otherwise.
    DirectoryList(HWND listBox, std::function<void(const std::string&)> onOpenFailed);
    ~DirectoryList();
    DirectoryList(const DirectoryList&) = delete;
    DirectoryList& operator=(const DirectoryList&) = delete;

    const std::string& Path() const { return m_path; }
    void SetPath(const std::string& folder);

    // Enter in the list: opens the highlighted row and answers true; answers false on the open
    // folder itself, where Enter is left to the window's default button.
    bool OpenHighlighted();
    // The parent window passes these on from WM_COMMAND and WM_DRAWITEM.
    void OnCommand(WORD notification);
    void Draw(const DRAWITEMSTRUCT& item) const;
    void SetRowHeight(int iconSize);

private:
    struct Row {
        std::wstring name;
        std::wstring path;
        int depth;
        bool inChain;  // the root, the open folder or a folder between them
    };

    void Open(std::size_t row);
    void SetScrollWidth() const;
    int Indent(const Row& row) const;
    // The list's own messages first: the tool tip follows the row under the mouse.
    static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self);

    HWND m_list;
    std::function<void(const std::string&)> m_onOpenFailed;
    std::vector<Row> m_rows;
    std::string m_path;
    int m_iconSize = 16;
    HWND m_tip = nullptr;
    int m_tipRow = -1;
    std::wstring m_tipText;
};

}  // namespace quillmere
