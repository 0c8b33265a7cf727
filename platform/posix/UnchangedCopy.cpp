#include "platform/posix/UnchangedCopy.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <utility>

#include "platform/posix/FallBack.h"
#include "platform/posix/FileDescriptor.h"

namespace quillmere::posix {
namespace {

// Below the smallest limit of links to one file among the file systems that link (ext4's 65000):
// a file shared by more backups than this is copied again rather than refused half-way.
constexpr nlink_t kMostLinks = 60000;

// The earlier copy, open for reading, when it can stand for the source; else nothing.
// O_NONBLOCK: a FIFO put in its place is not waited on; O_NOFOLLOW: a link there is no copy.
FileDescriptor OpenUnchanged(const CopyContext& context, const std::string& name, const struct stat& source,
                             struct stat& earlier) {
    FileDescriptor fd(
        ::openat(context.earlierFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.IsOpen()) return {};
    if (::fstat(fd.Get(), &earlier) != 0 || !S_ISREG(earlier.st_mode) || earlier.st_size != source.st_size ||
        !SameTime(earlier.st_mtim, source.st_mtim) || (earlier.st_mode & 07777) != (source.st_mode & 0777) ||
        earlier.st_uid != ::geteuid()) {
        return {};
    }
    return fd;
}

}  // namespace

Unchanged TakeUnchanged(CopyContext& context, const CopyPaths& paths, const struct stat& source,
                        PendingCopies& pending) {
    if (pending.TakenBefore(paths.name)) return Unchanged::NotTaken;
    struct stat earlier {};
    FileDescriptor fd = OpenUnchanged(context, paths.name, source, earlier);
    if (!fd.IsOpen()) return Unchanged::NotTaken;

    if (context.mayCloneEarlier) {
        // No bytes are written: the clone shares the earlier copy's blocks.
        TempFile& temp = pending.Add(paths, 0, source.st_mode & 0777);
        if (::ioctl(temp.Fd(), FICLONE, fd.Get()) == 0) return Unchanged::Cloned;
        const int error = errno;
        pending.DropLast();
        // Any other error may be this file's alone; it is then copied, which meets it again.
        if (!IsCloneUnsupported(error)) return Unchanged::NotTaken;
        context.mayCloneEarlier = false;
    }
    // A link shares the file's times and permissions too, which the checks above found equal;
    // one across file systems (a mount inside the destination) cannot be made.
    if (!context.mayLinkEarlier || !context.unnamed || earlier.st_dev != context.targetDevice ||
        earlier.st_nlink >= kMostLinks) {
        return Unchanged::NotTaken;
    }
    pending.AddLink(paths, std::move(fd));
    return Unchanged::Linked;
}

bool CanLinkOpenFiles(int targetFd) {
    // FAT, exFAT and most network shares refuse unnamed files; a file system that makes them
    // links them in, and so links any open file of its own.
    const FileDescriptor probe(::openat(targetFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    return probe.IsOpen();
}

}  // namespace quillmere::posix
