#include "platform/posix/PendingCopies.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/PosixError.h"

namespace quillmere::posix {

PendingCopies::PendingCopies(CopyContext& context) : m_context(context) {
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
        m_capacity = std::clamp<std::size_t>(files.rlim_cur / 4, 1, m_capacity);
    }
}

void PendingCopies::Commit() {
    if (m_files.empty()) return;
    // Where the file system allows it, one sync of the whole file system writes every copy
    // back together and flushes the device once; each file is then only asked for its own
    // write-back error, which the file-system sync cannot attribute. Should that sync fail,
    // or on any other file system, each file is made durable by its own fsync.
    const bool synced = m_context.syncCoversFiles && ::syncfs(m_context.targetFd) == 0;
    std::size_t durable = 0;
    int error = 0;
    for (; durable < m_files.size(); ++durable) {
        TempFile& file = m_files[durable];
        const unsigned waitForWriteBack =
            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
        if ((synced ? ::sync_file_range(file.Fd(), 0, 0, waitForWriteBack) : ::fsync(file.Fd())) != 0) {
            error = errno;
            break;
        }
        if ((error = file.Close()) != 0) break;
    }
    for (std::size_t i = 0; i < durable; ++i) {
        if (const int renameError = m_files[i].Commit(m_context.overwrite)) {
            throw PosixError::ForPath(InFolder(m_context.targetFolder, m_files[i].FinalName()), renameError);
        }
    }
    if (error != 0) {
        throw PosixError::ForPath(InFolder(m_context.targetFolder, m_files[durable].FinalName()), error);
    }
    m_files.clear();
}

}  // namespace quillmere::posix
