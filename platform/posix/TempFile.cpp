#include "platform/posix/TempFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>

#include "platform/posix/FallBack.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/PosixIo.h"

namespace quillmere::posix {
namespace {

constexpr std::string_view kPrefix = ".quillmere-", kSuffix = ".tmp";
constexpr std::size_t kDigits = 8;

}  // namespace

TempFile::TempFile(int folderFd, WorkFolder& work, const CopyPaths& paths, bool& unnamed, mode_t mode)
    : m_folderFd(folderFd), m_finalName(paths.name) {
    if (unnamed) {
        // Nobody else can open a file without a name, so it may have its final permissions from
        // the start.
        m_fd = FileDescriptor(::openat(folderFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
        if (m_fd.IsOpen()) {
            m_unnamed = true;
            return;
        }
        if (!IsUnnamedUnsupported(errno)) throw PosixError::ForPath(paths.Target(), errno);
        unnamed = false;
    }
    LockedTemp temp;
    int error = work.Open(m_workFd);
    if (error == 0) error = CreateLockedTemp(m_workFd, kPrefix, kDigits, kSuffix, temp);
    if (error == ENOENT) {
        // The work folder was removed while it stood empty, by another run's clean-up on a file
        // system that cannot lock folders: the copy goes into a new one.
        work.Remove();
        error = work.Open(m_workFd);
        if (error == 0) error = CreateLockedTemp(m_workFd, kPrefix, kDigits, kSuffix, temp);
    }
    if (error != 0) throw PosixError::ForPath(paths.Target(), error);
    m_fd = std::move(temp.fd);
    m_name = std::move(temp.name);
}

int TempFile::Commit(bool replace) {
    const char* finalName = m_finalName.c_str();
    if (m_unnamed) {
        if (replace) return EEXIST;
        // Kernels before 6.10 allow linkat(AT_EMPTY_PATH) only with a capability a user does not
        // have; the descriptor's entry under /proc links the same open file for anyone who holds
        // it, at the cost of a path walk, and is taken once the direct way has been refused.
        static bool emptyPathRefused = false;
        if (!emptyPathRefused) {
            if (::linkat(m_fd.Get(), "", m_folderFd, finalName, AT_EMPTY_PATH) == 0) {
                m_unnamed = false;
                return 0;
            }
            if (!IsEmptyPathLinkRefused(errno)) return errno;
            emptyPathRefused = true;
        }
        char path[40];
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", m_fd.Get());
        if (::linkat(AT_FDCWD, path, m_folderFd, finalName, AT_SYMLINK_FOLLOW) != 0) return errno;
        m_unnamed = false;
        return 0;
    }
    int result = 0;
    if (replace) {
        result = ::renameat(m_workFd, m_name.c_str(), m_folderFd, finalName);
    } else {
        result = ::renameat2(m_workFd, m_name.c_str(), m_folderFd, finalName, RENAME_NOREPLACE);
        if (result != 0 && IsNoReplaceUnsupported(errno)) {
            // The file system cannot refuse a replacement itself; check first. A file that
            // appears in between is replaced, which only a second writer can bring about.
            struct stat st {};
            if (::fstatat(m_folderFd, finalName, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                errno = EEXIST;
            } else {
                result = ::renameat(m_workFd, m_name.c_str(), m_folderFd, finalName);
            }
        }
    }
    if (result != 0) return errno;
    m_name.clear();
    return 0;
}

bool TempFile::IsTempName(const std::string& name) {
    if (name.size() != kPrefix.size() + kDigits + kSuffix.size() || !name.starts_with(kPrefix) ||
        !name.ends_with(kSuffix)) {
        return false;
    }
    return std::all_of(name.begin() + kPrefix.size(), name.end() - kSuffix.size(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace quillmere::posix
