#include "platform/posix/CopyData.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/FallBack.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/PosixIo.h"

namespace quillmere::posix {
namespace {

// Copies the bytes in [offset, end) to the same offsets of out, by the kernel where it can and
// by pread/pwrite from where it cannot. Answers the offset reached: end, or less when the source
// ended early (it shrank; the check after the copy reports that).
off_t CopyRange(int in, int out, off_t offset, off_t end, CopyContext& context, const CopyPaths& paths) {
    off_t inAt = offset;
    off_t outAt = offset;
    while (inAt < end) {
        const ssize_t moved = ::copy_file_range(in, &inAt, out, &outAt,
                                                static_cast<std::size_t>(std::min<off_t>(end - inAt, 16 << 20)), 0);
        if (moved > 0) {
            if (context.progress) context.progress->Moved(static_cast<std::uint64_t>(moved));
            continue;
        }
        if (moved == 0) return inAt;
        if (errno == EINTR) continue;
        break;
    }
    std::vector<char>& buffer = context.buffer;
    if (buffer.empty()) buffer.resize(std::size_t{1} << 20);
    while (inAt < end) {
        const auto wanted = static_cast<std::size_t>(std::min<off_t>(end - inAt, static_cast<off_t>(buffer.size())));
        const ssize_t got = ReadUpTo(in, buffer.data(), wanted, inAt);
        if (got < 0) throw PosixError::ForPath(paths.Source(), errno);
        if (got == 0) return inAt;
        if (const int error = WriteAll(out, buffer.data(), static_cast<std::size_t>(got), inAt)) {
            throw PosixError::ForPath(paths.Target(), error);
        }
        inAt += got;
        if (context.progress) context.progress->Moved(static_cast<std::uint64_t>(got));
    }
    return inAt;
}

// A file with holes (st_blocks short of its size) is copied extent by extent, so its holes stay
// holes in the copy: a 2 GiB file with a few blocks of data takes a few blocks, not 2 GiB, and
// no time. Answers the size copied, or -1 when the file has no holes or the file system cannot
// tell where they are; the dense copy then does the work.
off_t CopySparse(int in, int out, off_t expectedSize, CopyContext& context, const CopyPaths& paths) {
    // Holes in a file of a few blocks would save next to nothing; such files skip the look.
    if (expectedSize < (off_t{64} << 10)) return -1;
    struct stat st {};
    if (::fstat(in, &st) != 0 || st.st_blocks * 512 >= st.st_size) return -1;
    off_t at = 0;
    while (at < expectedSize) {
        const off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) break;  // nothing but a hole up to the end
            if (at == 0 && IsHoleSeekUnsupported(errno)) return -1;
            throw PosixError::ForPath(paths.Source(), errno);
        }
        if (data >= expectedSize) break;
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0) throw PosixError::ForPath(paths.Source(), errno);
        // Data added beyond the size known at the start is not copied; the check after the copy
        // sees the change.
        hole = std::min(hole, expectedSize);
        // A hole counts as copied the moment it is passed.
        if (context.progress) context.progress->Moved(static_cast<std::uint64_t>(data - at));
        const off_t reached = CopyRange(in, out, data, hole, context, paths);
        if (reached < hole) return reached;
        at = hole;
    }
    // The last hole has no data to write; the size makes it.
    if (::ftruncate(out, expectedSize) != 0) throw PosixError::ForPath(paths.Target(), errno);
    if (context.progress && at < expectedSize) context.progress->Moved(static_cast<std::uint64_t>(expectedSize - at));
    return expectedSize;
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
        if (IsCloneUnsupported(errno)) context.mayClone = false;
    }
    if (expectedSize > 0) {
        if (const off_t copied = CopySparse(in, out, expectedSize, context, paths); copied >= 0) return copied;
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
        const ssize_t got = ReadUpTo(in, buffer.data(), buffer.size());
        if (got < 0) throw PosixError::ForPath(paths.Source(), errno);
        if (got == 0) return total;
        if (const int error = WriteAll(out, buffer.data(), static_cast<std::size_t>(got))) {
            throw PosixError::ForPath(paths.Target(), error);
        }
        total += got;
        if (context.progress) context.progress->Moved(static_cast<std::uint64_t>(got));
    }
}

}  // namespace quillmere::posix
