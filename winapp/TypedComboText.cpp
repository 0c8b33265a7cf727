#include "winapp/TypedComboText.h"

#include <vector>

#include "winapp/WinLayout.h"

namespace quillmere {

void TypedComboText::OnNotify(WORD code) {
    switch (code) {
        case CBN_DROPDOWN:
            m_typed = WideTextOf(m_combo);
            m_dropped = true;
            m_picked = false;
            PostMessageW(m_owner, m_keepMessage, 0, 0);
            break;
        case CBN_SELCHANGE:
            // Only the user's moves in the open list notify; the system's own choice does not.
            if (m_dropped) m_picked = true;
            break;
        case CBN_CLOSEUP:
            m_dropped = false;
            if (!m_picked) SetWindowTextW(m_combo, m_typed.c_str());
            break;
        default: break;
    }
}

void TypedComboText::KeepText() {
    if (!m_dropped || m_picked) return;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(m_combo, &info)) return;
    // The text first: its change makes the list highlight the first item it begins, which the
    // highlight set afterwards replaces.
    SetWindowTextW(info.hwndItem, m_typed.c_str());
    SendMessageW(info.hwndItem, EM_SETSEL, 0, -1);
    int exact = -1;
    const int count = static_cast<int>(SendMessageW(m_combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && exact < 0; ++i) {
        const auto length = SendMessageW(m_combo, CB_GETLBTEXTLEN, i, 0);
        if (length == CB_ERR) continue;
        std::vector<wchar_t> item(static_cast<std::size_t>(length) + 1);
        SendMessageW(m_combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        if (m_typed == item.data()) exact = i;
    }
    SendMessageW(info.hwndList, LB_SETCURSEL, static_cast<WPARAM>(exact), 0);
}

}  // namespace quillmere
