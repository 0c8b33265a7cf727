// StockIcons: the system's own small icons for drives and folders, as the owner-drawn lists of
// the folder dialog show them, and the drawing of one list row (icon, then text) they share.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

namespace quillmere::StockIcons {

// The system's small icon of that kind, loaded once and kept for the run (the lists are redrawn
// often and the set is tiny); nullptr when the system has none, and the row is drawn without it.
// Where the system keeps no stock image (Wine answers the call without one) the shell's icon of a
// look-alike path stands in: a folder, or the root of the drive (lookAlike) of that kind, taken by
// its name alone so that no medium is read.
HICON StockIcon(SHSTOCKICONID id, const wchar_t* lookAlike = L"folder");

// Draws one row of an owner-drawn LISTBOX or COMBOBOX: the highlight when selected, the icon
// (scaled to iconSize pixels) indent pixels in, the text after it, the focus rectangle. Text too
// long for the row ends in "..." when shortened, else it is cut at the edge (a list that scrolls
// sideways moves the row left to show the rest).
enum class LongText { Shortened, Cut };
void DrawIconRow(const DRAWITEMSTRUCT& item, HICON icon, int iconSize, int indent, const std::wstring& text,
                 LongText longText);

// The width a row needs in its list's font, for the horizontal scroll range.
int IconRowWidth(HWND list, int iconSize, int indent, const std::wstring& text);
// The height of the text or the icon in the list's font, whichever is taller.
int IconRowHeight(HWND list, int iconSize);

}  // namespace quillmere::StockIcons
