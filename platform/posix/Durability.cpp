#include "platform/posix/Durability.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quillmere::posix {

// Where the file system allows it, one sync of the whole file system writes every copy back
// together and flushes the device once; each file is then only asked for its own write-back
// error, which the file-system sync cannot attribute. Should that sync fail, or on any other file
// system, each file is made durable by its own fsync.
Durability MakeDurable(int folderFd, bool syncCoversFiles, const std::deque<TempFile>& batch) {
    const bool synced = syncCoversFiles && ::syncfs(folderFd) == 0;
    Durability result;
    result.fileSystemSynced = synced;
    for (; result.durable < batch.size(); ++result.durable) {
        const TempFile& file = batch[result.durable];
        const unsigned waitForWriteBack =
            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
        if ((synced ? ::sync_file_range(file.Fd(), 0, 0, waitForWriteBack) : ::fsync(file.Fd())) != 0) {
            result.error = errno;
            break;
        }
    }
    return result;
}

}  // namespace quillmere::posix
