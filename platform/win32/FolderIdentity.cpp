// Which volume holds a folder, on Windows: its serial number, which the volume keeps whatever
// drive letter or folder it is mounted on, as "vol" shows it. A volume without one is named by its
// volume GUID path and mount point, and a share that has neither by its \\server\share\ root.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "platform/SystemFilesNative.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"

namespace quillmere::SystemFiles::Native {
namespace {

// The mount point as the user knows it, whether the folder was named in the "\\?\" form or not.
std::string Plain(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        path = L"\\\\" + path.substr(8);
    } else if (path.starts_with(L"\\\\?\\") && !path.starts_with(L"\\\\?\\Volume{")) {
        path = path.substr(4);
    }
    return WideText::Narrow(path);
}

}  // namespace

std::string FolderIdentity(const std::string& folder) {
    const std::wstring path = LongPath::Of(folder);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw Win32Error::ForPath(folder, ::GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throw Win32Error::ForPath(folder, ERROR_DIRECTORY);

    // The volume path is never longer than the path it comes from, plus its final separator.
    std::wstring volume(path.size() + 2, L'\0');
    if (!::GetVolumePathNameW(path.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) {
        throw Win32Error::ForPath(folder, ::GetLastError());
    }
    volume.resize(std::wcslen(volume.c_str()));

    DWORD serial = 0;
    if (::GetVolumeInformationW(volume.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) && serial != 0) {
        char text[32];
        std::snprintf(text, sizeof text, "Serial=%04lX-%04lX", static_cast<unsigned long>(serial >> 16),
                      static_cast<unsigned long>(serial & 0xFFFF));
        return text;
    }
    wchar_t name[64] = {};
    if (::GetVolumeNameForVolumeMountPointW(volume.c_str(), name, 64)) {
        return WideText::Narrow(name) + " on " + Plain(volume);
    }
    return Plain(volume);
}

}  // namespace quillmere::SystemFiles::Native
