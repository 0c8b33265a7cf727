// OpenListKeys: Enter and Esc go to a combo box's drop-down list while it is open.
#pragma once

class QComboBox;

namespace quillmere {

// The windows press their default and cancel buttons through window-wide shortcuts, and Qt
// offers an open list's keys to those shortcuts first. After this call the open list keeps them:
// Esc only closes the list and Enter only picks the highlighted item; the next press reaches the
// window.
void KeepOpenListKeys(QComboBox& combo);

}  // namespace quillmere
