#include "platform/posix/WorkFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/PosixIo.h"

namespace quillmere::posix {
namespace {

constexpr std::string_view kPrefix = ".quillmere-work-";
constexpr std::size_t kDigits = 8;

}  // namespace

int WorkFolder::Open(int& fd) {
    if (m_fd.IsOpen()) {
        fd = m_fd.Get();
        return 0;
    }
    // Fresh random digits each try, as for a temporary file: a name taken, or a folder that
    // another run's clean-up removed before it was locked, costs one more try.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name;
        if (const int error = RandomName(kPrefix, kDigits, {}, name)) return error;
        if (::mkdirat(m_folderFd, name.c_str(), 0700) != 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        FileDescriptor folder(::openat(m_folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder.IsOpen()) {
            if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) continue;
            return errno;
        }
        // A file system that cannot lock folders (NFS) keeps no lock; the clean-up then relies
        // on the temporary files' own locks, and removes only an empty folder.
        while (::flock(folder.Get(), LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if (::fstat(folder.Get(), &st) == 0 && st.st_nlink == 0) continue;
        m_fd = std::move(folder);
        m_name = std::move(name);
        fd = m_fd.Get();
        return 0;
    }
    return EEXIST;
}

void WorkFolder::Remove() {
    if (!m_fd.IsOpen()) return;
    // Removed while still locked, so no clean-up can look into it in between.
    ::unlinkat(m_folderFd, m_name.c_str(), AT_REMOVEDIR);
    (void)m_fd.Close();
    m_name.clear();
}

bool WorkFolder::IsWorkName(std::string_view name) {
    return name.size() == kPrefix.size() + kDigits && name.starts_with(kPrefix) &&
           std::all_of(name.begin() + kPrefix.size(), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace quillmere::posix
