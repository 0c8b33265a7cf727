// PosixError: turns an errno value into the text the user sees: the path it concerns and the
// system's reason in the user's language ("/mnt/backup/ZO01.JRA: No space left on device").
#pragma once

#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::PosixError {

// ENOENT and ENOTDIR: the path names nothing, which a search answers with "not found" rather
// than with an error.
bool IsNotFound(int error);
PlatformError ForPath(const std::string& path, int error);
PlatformError ForPath(const std::string& path, const std::string& reason);

}  // namespace quillmere::PosixError
