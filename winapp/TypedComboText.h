// TypedComboText: a drop-down combo box whose list never changes the typed text by itself.
// Opening the list makes the system put the first item that begins with the text into the box (a
// typed "*." becomes "*.*", which matches every name), and Enter then keeps that item. Here the
// list opens on the item equal to the text (exactly, case included) or on none, the box keeps the
// text, and the list closes with the text as it was unless the user picked an item in it.
#pragma once

#include <windows.h>

#include <string>

namespace quillmere {

class TypedComboText {
public:
    // owner gets the posted message and hands it to KeepText.
    TypedComboText(HWND combo, HWND owner, UINT keepMessage)
        : m_combo(combo), m_owner(owner), m_keepMessage(keepMessage) {}

    // A notification of the combo box (the code of its WM_COMMAND).
    void OnNotify(WORD code);
    // After the system has opened the list (a message posted at CBN_DROPDOWN, which comes before).
    void KeepText();

private:
    HWND m_combo;
    HWND m_owner;
    UINT m_keepMessage;
    std::wstring m_typed;
    bool m_dropped = false;
    bool m_picked = false;
};

}  // namespace quillmere
