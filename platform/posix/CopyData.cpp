#include "platform/posix/CopyData.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/PosixError.h"

namespace quillmere::posix {
namespace {

void WriteAll(int out, const char* data, std::size_t size, const CopyPaths& paths) {
    while (size > 0) {
        const ssize_t written = ::write(out, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw PosixError::ForPath(paths.Target(), errno);
        }
        // write(2) answers 0 only when it cannot go on; the kernel reports ENOSPC on the next call,
        // but a zero must never be taken for progress.
        if (written == 0) throw PosixError::ForPath(paths.Target(), ENOSPC);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

}  // namespace

// Moves the data from in to out and answers the number of bytes moved. The kernel does the work
// where it can: a reflink shares the blocks, copy_file_range copies without passing the data
// through this process. Whatever the kernel cannot do (another file system, an old kernel, or an
// error half-way) the read/write loop takes over from the current offsets, so the failure it then
// meets is told against the file that caused it.
off_t CopyData(int in, int out, off_t expectedSize, CopyContext& context, const CopyPaths& paths) {
    if (expectedSize > 0 && context.mayClone) {
        if (::ioctl(out, FICLONE, in) == 0) {
            struct stat st {};
            if (::fstat(out, &st) != 0) throw PosixError::ForPath(paths.Target(), errno);
            if (context.progress) context.progress->Moved(static_cast<std::uint64_t>(st.st_size));
            return st.st_size;
        }
        // These say the two folders cannot share blocks at all; any other error may be this
        // file's alone.
        if (errno == EOPNOTSUPP || errno == ENOTTY || errno == EXDEV || errno == ENOSYS) context.mayClone = false;
    }
    off_t total = 0;
    for (;;) {
        // A chunk takes well under a second even onto a slow stick, so progress moves and a
        // request to stop is seen that soon.
        const ssize_t moved = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{16} << 20, 0);
        if (moved > 0) {
            total += moved;
            if (context.progress) context.progress->Moved(static_cast<std::uint64_t>(moved));
            // The size known from the start: a file that ends there needs no call to find its end.
            // One that grew is caught by the check after the copy all the same.
            if (total == expectedSize) return total;
            continue;
        }
        if (moved < 0 && errno == EINTR) continue;
        // A zero before any byte of a non-empty file is a file system that does not copy this way.
        if (moved == 0 && (total > 0 || expectedSize == 0)) return total;
        break;
    }
    std::vector<char>& buffer = context.buffer;
    if (buffer.empty()) buffer.resize(std::size_t{1} << 20);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw PosixError::ForPath(paths.Source(), errno);
        }
        if (got == 0) return total;
        WriteAll(out, buffer.data(), static_cast<std::size_t>(got), paths);
        total += got;
        if (context.progress) context.progress->Moved(static_cast<std::uint64_t>(got));
    }
}

}  // namespace quillmere::posix
