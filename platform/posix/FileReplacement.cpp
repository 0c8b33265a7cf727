#include "platform/posix/FileReplacement.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/posix/FallBack.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FolderReader.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/PosixIo.h"

namespace quillmere::FileReplacement {
namespace {

namespace fs = std::filesystem;
using posix::CreateLockedTemp;
using posix::LockedTemp;
using posix::WriteAll;

// Temporary files are named "." + the file's name + this marker + six random characters. The
// marker is one no user or other program would choose, so the clean-up below can never take a
// user's ".Quillmere.conf.backup" for a leftover.
constexpr std::string_view kTempMarker = ".quillmere-tmp-";
constexpr std::size_t kRandomPart = 6;

std::string TempPrefix(const fs::path& target) {
    std::string prefix = target.filename().string();
    prefix.insert(prefix.begin(), '.');
    return prefix.append(kTempMarker);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

// Writes the text to a temporary file beside the target, makes it durable and renames it over the
// target, then makes the rename durable. Either the old or the new file is there at every moment.
// The temporary file is locked from its creation until it is gone: a lock that only a live
// process can hold is what tells the clean-up that the file is still being written.
void Replace(int folderFd, const fs::path& target, const std::string& text, mode_t mode) {
    LockedTemp temp;
    if (const int error = CreateLockedTemp(folderFd, TempPrefix(target), kRandomPart, "", temp)) {
        throw PosixError::ForPath(target.string(), error);
    }
    // The lock belongs to the open file, so this second descriptor keeps it after the first is
    // closed (to see close's error before the rename) until the temporary name is gone.
    const FileDescriptor lockHolder(::fcntl(temp.fd.Get(), F_DUPFD_CLOEXEC, 0));

    const std::string name = target.filename().string();
    int error = 0;
    if (::fchmod(temp.fd.Get(), mode) != 0) error = errno;
    if (error == 0) error = WriteAll(temp.fd.Get(), text.data(), text.size());
    if (error == 0 && ::fsync(temp.fd.Get()) != 0) error = errno;
    if (const int closeError = temp.fd.Close(); error == 0) error = closeError;
    if (error == 0 && ::renameat(folderFd, temp.name.c_str(), folderFd, name.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlinkat(folderFd, temp.name.c_str(), 0);
        throw PosixError::ForPath(target.string(), error);
    }
    if (::fsync(folderFd) != 0 && !posix::IsFolderSyncUnsupported(errno))
        throw PosixError::ForPath(target.string(), errno);
}

// A writer killed between creating its temporary file and the rename leaves that file behind, and
// every such kill would add one to the user's config folder. Only files with this program's
// marker are looked at, and one is removed only when it is provably dead: a regular file (never
// a link), not locked, and still the same file at that name once the lock is taken. Removing them
// is tidying, never part of the write: a failure here is passed over.
void RemoveRemnants(int folderFd, const fs::path& target) {
    const std::string prefix = TempPrefix(target);
    posix::FolderReader folder;
    if (!folder.OpenAt(folderFd, target.parent_path().string())) return;
    std::vector<std::string> names;
    try {
        folder.ForEach([&](std::string_view name, unsigned char) {
            if (name.size() == prefix.size() + kRandomPart && name.starts_with(prefix)) names.emplace_back(name);
        });
    } catch (const PlatformError&) {
        // Tidying only: the names read so far are looked at, the rest wait for the next write.
    }
    for (const std::string& name : names) {
        // Looked at before it is opened: opening a device or a FIFO could have effects of its own.
        struct stat named {};
        if (::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)) continue;
        const FileDescriptor fd(
            ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        if (!fd.IsOpen() || ::fstat(fd.Get(), &opened) != 0 || !SameFile(named, opened)) continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(named, opened)) continue;
        ::unlinkat(folderFd, name.c_str(), 0);
    }
}

}  // namespace quillmere::FileReplacement
