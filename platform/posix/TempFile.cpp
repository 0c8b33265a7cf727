#include "platform/posix/TempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/posix/PosixError.h"

namespace quillmere::posix {

TempFile::TempFile(int folderFd, const CopyPaths& paths) : m_folderFd(folderFd), m_finalName(paths.name) {
    static std::mt19937 random{std::random_device{}() ^ static_cast<unsigned>(::getpid())};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".quillmere-%08x.tmp", static_cast<unsigned>(random()));
        const int fd = ::openat(folderFd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_fd = FileDescriptor(fd);
            m_name = name;
            return;
        }
        if (errno != EEXIST) break;
    }
    throw PosixError::ForPath(paths.Target(), errno);
}
int TempFile::Commit(bool overwrite) {
    int result = 0;
    const char* finalName = m_finalName.c_str();
    if (overwrite) {
        result = ::renameat(m_folderFd, m_name.c_str(), m_folderFd, finalName);
    } else {
        result = ::renameat2(m_folderFd, m_name.c_str(), m_folderFd, finalName, RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // The file system cannot refuse a replacement itself; check first. A file that
            // appears in between is replaced, which only a second writer can bring about.
            struct stat st {};
            if (::fstatat(m_folderFd, finalName, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                errno = EEXIST;
            } else {
                result = ::renameat(m_folderFd, m_name.c_str(), m_folderFd, finalName);
            }
        }
    }
    if (result != 0) return errno;
    m_name.clear();
    return 0;
}

}  // namespace quillmere::posix
