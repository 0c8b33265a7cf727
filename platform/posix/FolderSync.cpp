#include "platform/posix/FolderSync.h"

#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>

namespace quillmere::posix {

int SyncFolder(int folderFd) {
    if (::fsync(folderFd) == 0 || errno == EINVAL) return 0;
    return errno;
}

bool SyncCoversFiles(int folderFd) {
    constexpr __fsword_t kExt = 0xEF53, kXfs = 0x58465342, kBtrfs = static_cast<__fsword_t>(0x9123683E),
                         kF2fs = static_cast<__fsword_t>(0xF2F52010), kTmpfs = 0x01021994;
    struct statfs info {};
    if (::fstatfs(folderFd, &info) != 0) return false;
    const __fsword_t type = info.f_type;
    return type == kExt || type == kXfs || type == kBtrfs || type == kF2fs || type == kTmpfs;
}

}  // namespace quillmere::posix
