// Win32Error: turns a Win32 error code into the text the user sees: the path it concerns and the
// system's own reason in the user's language ("D:\バックアップ\ZO01.JRA: ディスクに十分な空き領域がありません。").
#pragma once

#include <windows.h>

#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::Win32Error {

// The system's description of the code, without its line break.
std::string Reason(DWORD error);
// The path names nothing: a search answers "not found" rather than an error.
bool IsNotFound(DWORD error);
PlatformError ForPath(const std::string& path, DWORD error);
PlatformError ForPath(const std::string& path, const std::string& reason);

}  // namespace quillmere::Win32Error
