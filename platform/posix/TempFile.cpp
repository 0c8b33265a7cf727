#include "platform/posix/TempFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string_view>

#include "platform/posix/PosixError.h"

namespace quillmere::posix {

TempFile::TempFile(int folderFd, const CopyPaths& paths) : m_folderFd(folderFd), m_finalName(paths.name) {
    static std::mt19937 random{std::random_device{}() ^ static_cast<unsigned>(::getpid())};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".quillmere-%08x.tmp", static_cast<unsigned>(random()));
        FileDescriptor fd(::openat(folderFd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd.IsOpen()) {
            if (errno != EEXIST) break;
            continue;
        }
        // The lock is taken after the file exists, so another run's clean-up may take it first
        // and remove the file; the file then has no name left, and a new one is made. A file
        // system without flock (some network shares) keeps no lock, and the clean-up, which
        // cannot lock either, leaves such files alone.
        while (::flock(fd.Get(), LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if (::fstat(fd.Get(), &st) == 0 && st.st_nlink == 0) continue;
        m_fd = std::move(fd);
        m_name = name;
        return;
    }
    throw PosixError::ForPath(paths.Target(), errno);
}

int TempFile::Commit(bool replace) {
    int result = 0;
    const char* finalName = m_finalName.c_str();
    if (replace) {
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

bool TempFile::IsTempName(const std::string& name) {
    constexpr std::string_view kPrefix = ".quillmere-", kSuffix = ".tmp";
    if (name.size() != kPrefix.size() + 8 + kSuffix.size() || !name.starts_with(kPrefix) || !name.ends_with(kSuffix)) {
        return false;
    }
    return std::all_of(name.begin() + kPrefix.size(), name.end() - kSuffix.size(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace quillmere::posix
