// OpenListKeys: an editable combo box's drop-down list that opens on the item its text names and
// keeps Enter and Esc to itself while it is open.
#pragma once

class QComboBox;

namespace quillmere {

// The list opens with the item equal to the box's text highlighted (exactly, case included), and
// with none when the text is no item: a text typed or read from the settings never leaves the
// highlight on another item, which Enter would then put in the box in its place.
//
// The windows press their default and cancel buttons through window-wide shortcuts, and Qt
// offers an open list's keys to those shortcuts first. After this call the open list keeps them:
// Esc only closes the list and Enter only picks the highlighted item, or with none highlighted
// closes the list and leaves the text as it is; the next press reaches the window.
void KeepOpenListKeys(QComboBox& combo);

}  // namespace quillmere
