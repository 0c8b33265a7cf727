// The reason comes from strerror(3), which follows LC_MESSAGES: the program sets the user's locale
// at start-up, so a Japanese desktop gets the system's Japanese text.
#include "platform/posix/PosixError.h"

#include <cerrno>
#include <cstring>

namespace quillmere::PosixError {

bool IsNotFound(int error) {
    return error == ENOENT || error == ENOTDIR;
}

PlatformError ForPath(const std::string& path, int error) {
    return ForPath(path, std::strerror(error));
}

PlatformError ForPath(const std::string& path, const std::string& reason) {
    return PlatformError(path + ": " + reason);
}

}  // namespace quillmere::PosixError
