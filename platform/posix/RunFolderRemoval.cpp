// The POSIX removal of an old stamp folder. Every step goes through the descriptor of the folder
// above it, opened without following links, so a link put anywhere in the tree, or a folder
// renamed into a link while the removal runs, leads nowhere outside the stamp folder.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/NulByte.h"
#include "platform/RunRecordFiles.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FolderReader.h"
#include "platform/posix/PosixError.h"

namespace quillmere::RunRecordFiles {
namespace {

using posix::InFolder;

constexpr char kMounted[] = "別のファイルシステムがつながっているため削除しません";

FileDescriptor OpenFolder(int at, const std::string& name) {
    return FileDescriptor(::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// The first failure of a removal that goes on past it, so the rest of the folder still frees its room.
struct Failure {
    std::string text;
    void Note(const std::string& path, int error) { Note(path, std::string(PosixError::ForPath(path, error).what())); }
    void Note(const std::string& path, const std::string& reason) {
        if (text.empty()) text = PosixError::ForPath(path, reason).what();
    }
};

// A folder that is the root of a mount (a bind mount of the same file system has the same
// device number, so the device alone cannot tell it) holds another file system's files.
bool IsMountRoot(int at, const std::string& name, dev_t device) {
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx sx {};
    if (::statx(at, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &sx) == 0 &&
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
        return (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    }
#endif
    struct stat st {};
    return ::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev != device;
}

// Removes what the folder open as fd holds (but skip, when given), depth first.
void Empty(int fd, const std::string& path, dev_t device, Failure& failure, const char* skip = nullptr) {
    std::vector<std::string> names;
    try {
        posix::FolderReader reader;
        if (!reader.OpenAt(fd, path)) return failure.Note(path, errno);
        // Gathered first: a folder's entries removed while it is read may make the reading skip some.
        reader.ForEach([&](std::string_view name, unsigned char) {
            if (!skip || name != skip) names.emplace_back(name);
        });
    } catch (const PlatformError& e) {
        return failure.Note(path, e.what());
    }
    for (const std::string& name : names) {
        const std::string entry = InFolder(path, name);
        struct stat st {};
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            failure.Note(entry, errno);
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            if (IsMountRoot(fd, name, device)) {
                failure.Note(entry, kMounted);
                continue;
            }
            const FileDescriptor folder = OpenFolder(fd, name);
            if (!folder.IsOpen()) {
                failure.Note(entry, errno);
                continue;
            }
            Empty(folder.Get(), entry, device, failure);
            if (::unlinkat(fd, name.c_str(), AT_REMOVEDIR) != 0 && failure.text.empty()) failure.Note(entry, errno);
        } else if (::unlinkat(fd, name.c_str(), 0) != 0) {
            failure.Note(entry, errno);
        }
    }
}

}  // namespace

std::string RemoveFolder(const std::string& destination, const std::string& stamp) {
    const std::string stampPath = InFolder(destination, stamp);
    NulByte::Refuse(stampPath);  // a NUL in the destination or the stamp alike
    const std::string recordPath = InFolder(stampPath, kFolder);
    const FileDescriptor parent(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.IsOpen()) throw PosixError::ForPath(destination, errno);
    // A file system mounted at the stamp name is not the destination's to remove.
    struct stat above {};
    if (::fstat(parent.Get(), &above) != 0) throw PosixError::ForPath(destination, errno);
    if (IsMountRoot(parent.Get(), stamp, above.st_dev)) throw PosixError::ForPath(stampPath, kMounted);
    const FileDescriptor folder = OpenFolder(parent.Get(), stamp);
    if (!folder.IsOpen()) {
        if (errno == ELOOP || errno == ENOTDIR) throw PosixError::ForPath(stampPath, "フォルダではありません");
        throw PosixError::ForPath(stampPath, errno);
    }
    struct stat st {};
    if (::fstat(folder.Get(), &st) != 0) throw PosixError::ForPath(stampPath, errno);
    const FileDescriptor record = OpenFolder(folder.Get(), kFolder);
    if (!record.IsOpen()) {
        if (PosixError::IsNotFound(errno)) throw PosixError::ForPath(stampPath, "実行の記録がありません");
        throw PosixError::ForPath(recordPath, errno);
    }
    // Held until the end, so no run can take the record up meanwhile. A lock that cannot be
    // tried counts as held, as it does for a listing.
    if (::flock(record.Get(), LOCK_EX | LOCK_NB) != 0) {
        throw PosixError::ForPath(stampPath, "この実行はまだ終わっていません");
    }
    Failure failure;
    Empty(folder.Get(), stampPath, st.st_dev, failure, kFolder);
    if (!failure.text.empty()) return failure.text;
    // The record itself goes last of all that the record folder holds.
    Empty(record.Get(), recordPath, st.st_dev, failure, kFile);
    if (failure.text.empty() && ::unlinkat(record.Get(), kFile, 0) != 0 && errno != ENOENT) {
        failure.Note(InFolder(recordPath, kFile), errno);
    }
    if (failure.text.empty() && ::unlinkat(folder.Get(), kFolder, AT_REMOVEDIR) != 0) failure.Note(recordPath, errno);
    if (failure.text.empty() && ::unlinkat(parent.Get(), stamp.c_str(), AT_REMOVEDIR) != 0) {
        failure.Note(stampPath, errno);
    }
    return failure.text;
}

}  // namespace quillmere::RunRecordFiles
