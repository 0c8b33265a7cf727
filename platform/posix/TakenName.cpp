#include "platform/posix/TakenName.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FolderReader.h"
#include "platform/posix/PosixIo.h"

namespace quillmere::posix {

bool HoldsEntries(int folderFd, const std::string& path) {
    FolderReader folder;
    if (!folder.OpenAt(folderFd, path)) return true;
    bool any = false;
    folder.ForEach([&](std::string_view, unsigned char) { any = true; });
    return any;
}

std::string AsciiLower(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

bool HoldsSpelling(int folderFd, const std::string& path, const std::string& name) {
    FolderReader folder;
    if (!folder.OpenAt(folderFd, path)) return true;
    bool found = false;
    folder.ForEach([&](std::string_view entry, unsigned char) { found = found || entry == name; });
    return found;
}

// Read through once, on the rare way to a name found taken; a file that cannot be read counts
// as another file.
bool HoldsSameCopy(int folderFd, const std::string& name, int copyFd) {
    const FileDescriptor other(
        ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat theirs {
    }, ours{};
    if (!other.IsOpen() || ::fstat(other.Get(), &theirs) != 0 || ::fstat(copyFd, &ours) != 0 ||
        !S_ISREG(theirs.st_mode) || theirs.st_size != ours.st_size || theirs.st_mtim.tv_sec != ours.st_mtim.tv_sec ||
        theirs.st_mtim.tv_nsec != ours.st_mtim.tv_nsec) {
        return false;
    }
    constexpr std::size_t kChunk = std::size_t{1} << 16;
    std::vector<char> a(kChunk), b(kChunk);
    for (off_t at = 0; at < ours.st_size;) {
        const ssize_t gotOurs = ReadUpTo(copyFd, a.data(), kChunk, at);
        const ssize_t gotTheirs = ReadUpTo(other.Get(), b.data(), kChunk, at);
        if (gotOurs <= 0 || gotOurs != gotTheirs ||
            std::memcmp(a.data(), b.data(), static_cast<std::size_t>(gotOurs)) != 0) {
            return false;
        }
        at += gotOurs;
    }
    return true;
}

}  // namespace quillmere::posix
