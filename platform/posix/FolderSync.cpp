#include "platform/posix/FolderSync.h"

#include <fcntl.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/FallBack.h"
#include "platform/posix/FileDescriptor.h"

namespace quillmere::posix {

int SyncFolder(int folderFd) {
    if (::fsync(folderFd) == 0 || IsFolderSyncUnsupported(errno)) return 0;
    return errno;
}

int SyncCopiedNames(int folderFd, bool fileSystemSynced) {
    const int error = SyncFolder(folderFd);
    if (fileSystemSynced || !SyncCoversFiles(folderFd)) return error;
    // ".." is the folder the copies' folder really stands in, whatever path led to it.
    FileDescriptor parent(::openat(folderFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.IsOpen() && SyncFolder(parent.Get()) == 0) {
        FileDescriptor grandparent(::openat(parent.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        // The folders above are made durable as far as they can be; the answer is the copies' own
        // folder's (see the header).
        if (grandparent.IsOpen()) (void)SyncFolder(grandparent.Get());
    }
    return error;
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
