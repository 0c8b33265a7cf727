// FileImage: an icon or a mouse pointer made from the bytes of its .ico or .cur file, kept in the
// program as an RCDATA resource (see resources/dialogs.rc).
#pragma once

#include <windows.h>

namespace quillmere::FileImage {

// The images of resources/dialogs.rc: the About window's own icon and the pointers over its links.
inline constexpr int kAboutIcon = 201;
inline constexpr int kHandLetter = 202;
inline constexpr int kPointingHand = 203;

// The first image of the file at size x size pixels (0: the system's size for pointers), or
// nullptr when the resource is missing or malformed. The caller destroys it (DestroyIcon,
// DestroyCursor).
HICON Icon(int resource, int size);
HCURSOR Cursor(int resource, int size);

}  // namespace quillmere::FileImage
