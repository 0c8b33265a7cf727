#include "winapp/FileImage.h"

#include <cstring>
#include <vector>

namespace quillmere::FileImage {

namespace {

// The file is a directory (reserved, type, count) of 16-byte entries (width, height, colours,
// reserved, then for an icon planes and bits per pixel, for a pointer its hot spot, then the
// image's size and offset); the image itself is what CreateIconFromResourceEx takes, a pointer's
// preceded by its hot spot.
HICON FromResource(int resource, bool icon, int size) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(resource), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const auto* file = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD length = found ? SizeofResource(nullptr, found) : 0;
    constexpr DWORD kDirectory = 6;
    constexpr DWORD kEntry = 16;
    if (!file || length < kDirectory + kEntry) return nullptr;

    WORD hotSpot[2];
    DWORD imageSize = 0;
    DWORD offset = 0;
    std::memcpy(hotSpot, file + kDirectory + 4, sizeof hotSpot);
    std::memcpy(&imageSize, file + kDirectory + 8, sizeof imageSize);
    std::memcpy(&offset, file + kDirectory + 12, sizeof offset);
    if (offset > length || imageSize > length - offset) return nullptr;

    std::vector<BYTE> image;
    if (!icon) image.insert(image.end(), reinterpret_cast<BYTE*>(hotSpot), reinterpret_cast<BYTE*>(hotSpot) + 4);
    image.insert(image.end(), file + offset, file + offset + imageSize);
    return CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), icon, 0x00030000, size, size,
                                    size == 0 ? LR_DEFAULTSIZE : LR_DEFAULTCOLOR);
}

}  // namespace

HICON Icon(int resource, int size) {
    return FromResource(resource, true, size);
}

HCURSOR Cursor(int resource, int size) {
    return static_cast<HCURSOR>(FromResource(resource, false, size));
}

}  // namespace quillmere::FileImage
