// The POSIX record folder: "." makes it hidden, flock(2) on it tells a live run from a dead one.
#include "platform/RunRecordFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>

#include "platform/NulByte.h"
#include "platform/posix/FallBack.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FileReplacement.h"
#include "platform/posix/FolderReader.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/PosixIo.h"

namespace quillmere::RunRecordFiles {
namespace {

using posix::InFolder;

// A record is a few hundred bytes; anything much larger was not written by this program, and is
// not read into memory whole.
constexpr off_t kLargestRecord = 1 << 20;

// The record folders of this process's live runs, each held open and locked until the run's
// last write. The lock belongs to the open folder, so the system drops it with the process
// however that ends: a "running" record whose lock is free was left by a run that was killed.
std::mutex g_heldMutex;
std::map<std::string, FileDescriptor> g_held;

FileDescriptor OpenFolder(int at, const std::string& name) {
    return FileDescriptor(::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

}  // namespace

void Write(const std::string& stampFolder, const std::string& text, bool live) {
    NulByte::Refuse(stampFolder);
    const std::lock_guard guard(g_heldMutex);
    // The run's last write lets the lock go even when it fails: the record then still says
    // "running", and a listing rightly calls that run one that did not end its record.
    const LetGoUnlessLive<decltype(g_held)> letGo{g_held, stampFolder, live};
    const std::string folderPath = InFolder(stampFolder, kFolder);
    const std::string path = InFolder(folderPath, kFile);
    const FileDescriptor stamp(::open(stampFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!stamp.IsOpen()) throw PosixError::ForPath(stampFolder, errno);
    const bool made = ::mkdirat(stamp.Get(), kFolder, 0755) == 0;
    if (!made && errno != EEXIST) throw PosixError::ForPath(folderPath, errno);
    const FileDescriptor folder = OpenFolder(stamp.Get(), kFolder);
    if (!folder.IsOpen()) throw PosixError::ForPath(folderPath, errno);

    if (live && !g_held.contains(stampFolder)) {
        // A file system that cannot lock folders keeps no lock; a reader there cannot try one
        // either, and takes the run for live.
        while (::flock(folder.Get(), LOCK_EX) != 0 && errno == EINTR) {
        }
        FileDescriptor held(::fcntl(folder.Get(), F_DUPFD_CLOEXEC, 0));
        if (!held.IsOpen()) throw PosixError::ForPath(folderPath, errno);
        g_held.emplace(stampFolder, std::move(held));
    }
    // A writer killed before its rename leaves its temporary file here; the next write tidies.
    FileReplacement::RemoveRemnants(folder.Get(), path);
    FileReplacement::Replace(folder.Get(), path, text, 0644);
    // The folder's own name, made by this write, must last as long as the record in it.
    if (made && ::fsync(stamp.Get()) != 0 && !posix::IsFolderSyncUnsupported(errno)) {
        throw PosixError::ForPath(folderPath, errno);
    }
}

std::optional<StoredRunRecord> Read(const std::string& stampFolder) {
    NulByte::Refuse(stampFolder);
    const std::string folderPath = InFolder(stampFolder, kFolder);
    const std::string path = InFolder(folderPath, kFile);
    const FileDescriptor folder = OpenFolder(AT_FDCWD, folderPath);
    if (!folder.IsOpen()) {
        if (PosixError::IsNotFound(errno)) return std::nullopt;
        throw PosixError::ForPath(folderPath, errno);
    }
    // Opened without blocking and looked at before it is read: a FIFO put there must not hang
    // the listing.
    const FileDescriptor file(::openat(folder.Get(), kFile, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.IsOpen()) {
        if (PosixError::IsNotFound(errno)) return std::nullopt;
        throw PosixError::ForPath(path, errno);
    }
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0) throw PosixError::ForPath(path, errno);
    if (!S_ISREG(st.st_mode) || st.st_size > kLargestRecord) {
        throw PosixError::ForPath(path, "この記録はこのプログラムが書いたものではありません");
    }
    StoredRunRecord record;
    if (const int error = posix::ReadAll(file.Get(), record.text)) throw PosixError::ForPath(path, error);

    // The lock is only tried, never waited for, and let go at once.
    if (::flock(folder.Get(), LOCK_SH | LOCK_NB) == 0) {
        (void)::flock(folder.Get(), LOCK_UN);
    } else {
        record.live = true;
    }
    return record;
}

std::vector<std::string> ListFolders(const std::string& folder) {
    NulByte::Refuse(folder);
    posix::FolderReader reader;
    if (!reader.Open(folder)) throw PosixError::ForPath(folder, errno);
    std::vector<std::string> names;
    reader.ForEach([&](std::string_view name, unsigned char type) {
        if (type == DT_DIR) {
            names.emplace_back(name);
        } else if (type == DT_UNKNOWN) {
            const std::string named(name);
            struct stat st {};
            if (::fstatat(reader.Fd(), named.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
                names.push_back(named);
            }
        }
    });
    std::sort(names.begin(), names.end());
    return names;
}

FolderSpace SpaceOf(const std::string& folder) {
    NulByte::Refuse(folder);
    posix::FolderReader reader;
    if (!reader.Open(folder)) throw PosixError::ForPath(folder, errno);
    FolderSpace space;
    int error = 0;
    std::string failed;
    reader.ForEach([&](std::string_view name, unsigned char type) {
        if ((type != DT_REG && type != DT_UNKNOWN) || error != 0) return;
        const std::string named(name);
        struct stat st {};
        if (::fstatat(reader.Fd(), named.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // Removed since it was listed: it takes no room.
            if (errno != ENOENT) {
                error = errno;
                failed = named;
            }
            return;
        }
        if (S_ISREG(st.st_mode)) (st.st_nlink > 1 ? space.shared : space.own) += static_cast<std::uint64_t>(st.st_size);
    });
    if (error != 0) throw PosixError::ForPath(posix::InFolder(folder, failed), error);
    return space;
}

}  // namespace quillmere::RunRecordFiles
