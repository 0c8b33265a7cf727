// The POSIX system operations: directory search, folder creation, the never-torn file copy and
// the local clock. Linux-specific calls (copy_file_range, FICLONE, renameat2) each fall back to
// plain POSIX where the file system does not offer them.
#include "platform/SystemFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "platform/Wildcard.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/PosixError.h"

namespace quillmere::SystemFiles {
namespace {

struct PatternParts {
    std::string folder;  // "." when the pattern names no folder
    std::string last;    // empty when the pattern ends in "/"
};

PatternParts Split(const std::string& pattern) {
    const auto slash = pattern.rfind('/');
    if (slash == std::string::npos) return {".", pattern};
    return {slash == 0 ? "/" : pattern.substr(0, slash), pattern.substr(slash + 1)};
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

bool IsHidden(const std::string& name) {
    return !name.empty() && name.front() == '.';
}

enum class Kind { Missing, Regular, Folder, Other };

Kind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return Kind::Regular;
    if (S_ISDIR(mode)) return Kind::Folder;
    return Kind::Other;
}

struct Entry {
    std::string name;
    unsigned char type;  // d_type; DT_LNK and DT_UNKNOWN need a stat to be told apart
};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

class FolderReader {
public:
    // Answers false when the folder does not exist (errno then says how); throws for every
    // other failure.
    bool Open(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            if (PosixError::IsNotFound(errno)) return false;
            throw PosixError::ForPath(path, errno);
        }
        m_dir.reset(::fdopendir(fd));
        if (!m_dir) {
            const int error = errno;
            ::close(fd);
            throw PosixError::ForPath(path, error);
        }
        m_path = path;
        return true;
    }

    int Fd() const { return ::dirfd(m_dir.get()); }

    // What the named entry is once links are followed. A dangling link or a link loop names no
    // file and is Missing, so a search passes over it like any other entry that is not a file.
    // Any other failure (a link into a folder that may not be searched, an I/O error) throws:
    // passing over such an entry would report a copy as complete without a file it should hold.
    Kind KindAt(const std::string& name) const {
        struct stat st {};
        if (::fstatat(Fd(), name.c_str(), &st, 0) == 0) return KindOfMode(st.st_mode);
        if (PosixError::IsNotFound(errno) || errno == ELOOP) return Kind::Missing;
        throw PosixError::ForPath(InFolder(m_path, name), errno);
    }

    Kind KindOf(const Entry& entry) const {
        switch (entry.type) {
            case DT_REG: return Kind::Regular;
            case DT_DIR: return Kind::Folder;
            case DT_LNK:
            case DT_UNKNOWN: return KindAt(entry.name);
            default: return Kind::Other;
        }
    }

    // Calls visit(name, d_type) for every entry but "." and "..", in the order the folder
    // keeps them; nothing is gathered, so a folder of any size is read in constant memory.
    template <typename Visit>
    void ForEach(Visit&& visit) {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(m_dir.get());
            if (!entry) break;
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..") continue;
            visit(name, entry->d_type);
        }
        if (errno != 0) throw PosixError::ForPath(m_path, errno);
    }

    // The entries whose name passes the filter, in name order.
    template <typename Filter>
    std::vector<Entry> Entries(Filter&& accept) {
        std::vector<Entry> entries;
        ForEach([&](std::string_view name, unsigned char type) {
            if (accept(name)) entries.push_back({std::string(name), type});
        });
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return entries;
    }

private:
    std::unique_ptr<DIR, DirCloser> m_dir;
    std::string m_path;
};

// fsync of a folder makes the names created or renamed in it durable. Some file systems cannot
// sync a folder at all (EINVAL); that is no failure of ours.
int SyncFolder(int folderFd) {
    if (::fsync(folderFd) == 0 || errno == EINVAL) return 0;
    return errno;
}

// Where one file is copied from and to. The full paths are spelled out only for the text of a
// failure, so a copy that succeeds builds none.
struct CopyPaths {
    const std::string& sourceFolder;
    const std::string& targetFolder;
    const std::string& name;
    std::string Source() const { return InFolder(sourceFolder, name); }
    std::string Target() const { return InFolder(targetFolder, name); }
};

// A copy in progress: a hidden file in the destination folder that becomes the final file only
// by Commit(). Until then it is removed again however the copy ends.
class TempFile {
public:
    TempFile(int folderFd, const CopyPaths& paths) : m_folderFd(folderFd), m_finalName(paths.name) {
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
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!m_name.empty()) ::unlinkat(m_folderFd, m_name.c_str(), 0);
    }

    int Fd() const { return m_fd.Get(); }
    int Close() { return m_fd.Close(); }
    const std::string& FinalName() const { return m_finalName; }

    // Moves the finished file over its final name. Answers 0 or the errno of the rename.
    int Commit(bool overwrite) {
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

private:
    int m_folderFd;
    FileDescriptor m_fd;
    std::string m_name;
    std::string m_finalName;
};

// What stays the same for every file of one copy: the two folders, the buffer of the read/write
// loop, and whether the file system has shown that it cannot share blocks between them, so that
// a call known to fail is not repeated for every file.
struct CopyContext {
    int sourceFd;
    const std::string& sourceFolder;
    int targetFd;
    const std::string& targetFolder;
    bool overwrite;
    bool syncCoversFiles;
    std::vector<char> buffer;
    bool mayClone = true;
};

// Local file systems on which syncfs(2) writes back every file's data and metadata, commits the
// journal and flushes the device's cache: there it makes a file as durable as its own fsync
// would. Elsewhere (network and FUSE file systems, FAT, which then skips the cache flush) only
// fsync asks the storage to keep each file.
bool SyncCoversFiles(int folderFd) {
    constexpr __fsword_t kExt = 0xEF53, kXfs = 0x58465342, kBtrfs = static_cast<__fsword_t>(0x9123683E),
                         kF2fs = static_cast<__fsword_t>(0xF2F52010), kTmpfs = 0x01021994;
    struct statfs info {};
    if (::fstatfs(folderFd, &info) != 0) return false;
    const __fsword_t type = info.f_type;
    return type == kExt || type == kXfs || type == kBtrfs || type == kF2fs || type == kTmpfs;
}

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
            return st.st_size;
        }
        // These say the two folders cannot share blocks at all; any other error may be this
        // file's alone.
        if (errno == EOPNOTSUPP || errno == ENOTTY || errno == EXDEV || errno == ENOSYS) context.mayClone = false;
    }
    off_t total = 0;
    for (;;) {
        const ssize_t moved = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
        if (moved > 0) {
            total += moved;
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
    }
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Finished copies waiting in their temporary files. A batch is made durable as a whole and only
// then renamed into place, in name order: no file stands under its final name before its data is
// on disk, yet the batch costs one write-back of the file system rather than one per file. The
// batch is bounded, so a folder of any size never holds more than that many files open.
class PendingCopies {
public:
    explicit PendingCopies(CopyContext& context) : m_context(context) {
        rlimit files{};
        if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
            m_capacity = std::clamp<std::size_t>(files.rlim_cur / 4, 1, m_capacity);
        }
    }

    TempFile& Add(const CopyPaths& paths) { return m_files.emplace_back(m_context.targetFd, paths); }
    // A copy that failed half-way; its temporary file goes with it.
    void DropLast() { m_files.pop_back(); }
    bool Full() const { return m_files.size() >= m_capacity; }

    // Makes every waiting copy durable, then renames them into place. When one fails, those
    // before it are still renamed (they are whole and durable) and the failure names that file;
    // the temporary files of the rest are removed.
    void Commit() {
        if (m_files.empty()) return;
        // Where the file system allows it, one sync of the whole file system writes every copy
        // back together and flushes the device once; each file is then only asked for its own
        // write-back error, which the file-system sync cannot attribute. Should that sync fail,
        // or on any other file system, each file is made durable by its own fsync.
        const bool synced = m_context.syncCoversFiles && ::syncfs(m_context.targetFd) == 0;
        std::size_t durable = 0;
        int error = 0;
        for (; durable < m_files.size(); ++durable) {
            TempFile& file = m_files[durable];
            const unsigned waitForWriteBack =
                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
            if ((synced ? ::sync_file_range(file.Fd(), 0, 0, waitForWriteBack) : ::fsync(file.Fd())) != 0) {
                error = errno;
                break;
            }
            if ((error = file.Close()) != 0) break;
        }
        for (std::size_t i = 0; i < durable; ++i) {
            if (const int renameError = m_files[i].Commit(m_context.overwrite)) {
                throw PosixError::ForPath(InFolder(m_context.targetFolder, m_files[i].FinalName()), renameError);
            }
        }
        if (error != 0) {
            throw PosixError::ForPath(InFolder(m_context.targetFolder, m_files[durable].FinalName()), error);
        }
        m_files.clear();
    }

private:
    CopyContext& m_context;
    std::deque<TempFile> m_files;
    std::size_t m_capacity = 1024;
};

// Copies one file into a temporary file of the batch, with its time and mode. A file that is not
// regular after all is passed over.
void CopyToTemp(CopyContext& context, const std::string& name, PendingCopies& pending) {
    const CopyPaths paths{context.sourceFolder, context.targetFolder, name};

    // O_NONBLOCK: should the entry have turned into a FIFO since it was listed, opening it must
    // not wait for a writer. For a regular file the flag changes nothing.
    FileDescriptor in(::openat(context.sourceFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in.IsOpen()) throw PosixError::ForPath(paths.Source(), errno);
    struct stat before {};
    if (::fstat(in.Get(), &before) != 0) throw PosixError::ForPath(paths.Source(), errno);
    if (!S_ISREG(before.st_mode)) return;
    if (const int error = in.MakeBlocking()) throw PosixError::ForPath(paths.Source(), error);

    if (!context.overwrite) {
        struct stat existing {};
        if (::fstatat(context.targetFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            throw PosixError::ForPath(paths.Target(), EEXIST);
        }
    }

    TempFile& temp = pending.Add(paths);
    try {
        const off_t copied = CopyData(in.Get(), temp.Fd(), before.st_size, context, paths);

        // A file written to while it was read would give a copy that is neither its old nor its
        // new content; refuse it rather than keep it under the final name.
        struct stat after {};
        if (::fstat(in.Get(), &after) != 0) throw PosixError::ForPath(paths.Source(), errno);
        if (copied != before.st_size || after.st_size != before.st_size || !SameTime(after.st_mtim, before.st_mtim) ||
            !SameTime(after.st_ctim, before.st_ctim)) {
            throw PosixError::ForPath(paths.Source(), "コピー中にファイルが変更されました");
        }

        const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
        if (::futimens(temp.Fd(), times) != 0 && errno != ENOSYS && errno != EOPNOTSUPP) {
            throw PosixError::ForPath(paths.Target(), errno);
        }
        // Permission bits are kept where the file system can hold them; FAT media and some network
        // shares refuse any change, which must not stop a backup onto them.
        (void)::fchmod(temp.Fd(), before.st_mode & 0777);
    } catch (...) {
        pending.DropLast();
        throw;
    }
}

std::string ParentOf(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : trimmed.substr(0, slash);
}

}  // namespace

std::string FindFirstEntry(const std::string& pattern, int attributes) {
    if (pattern.empty()) return {};
    const bool withFolders = (attributes & EntryAttributes::Directory) != 0;
    const PatternParts parts = Split(pattern);

    if (!parts.last.empty() && !Wildcard::HasWildcards(parts.last)) {
        struct stat st {};
        if (::stat(pattern.c_str(), &st) != 0) {
            if (PosixError::IsNotFound(errno)) return {};
            throw PosixError::ForPath(pattern, errno);
        }
        // An exact name with the folder attribute is found even when hidden, so a destination
        // such as "~/.backup" exists.
        const Kind kind = KindOfMode(st.st_mode);
        if (kind == Kind::Regular && (withFolders || !IsHidden(parts.last))) return parts.last;
        if (kind == Kind::Folder && withFolders) return parts.last;
        return {};
    }

    FolderReader folder;
    if (!folder.Open(parts.folder)) return {};
    const std::optional<Wildcard::Pattern> wildcard =
        parts.last.empty() ? std::nullopt : std::optional<Wildcard::Pattern>(parts.last);

    // One pass over the folder keeps the least qualifying name seen so far, so the search costs
    // one directory read and no list of the whole folder. Names at or after it need no matching.
    // Links and entries of unknown type need a stat to qualify; they are kept aside and only
    // those that sort before the best plain entry are looked at, in name order, afterwards.
    std::string best;
    std::vector<std::string> unsure;
    folder.ForEach([&](std::string_view name, unsigned char type) {
        if (name.front() == '.' || (!best.empty() && name >= best)) return;
        if (wildcard && !wildcard->Matches(name)) return;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            unsure.emplace_back(name);
        } else if (type == DT_REG || (type == DT_DIR && withFolders)) {
            best = name;
        }
    });
    std::sort(unsure.begin(), unsure.end());
    for (const std::string& name : unsure) {
        if (!best.empty() && name >= best) break;
        const Kind kind = folder.KindAt(name);
        if (kind == Kind::Regular || (kind == Kind::Folder && withFolders)) return name;
    }
    return best;
}

void CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0) throw PosixError::ForPath(path, errno);
    // Make the new name durable too. The folder exists now whatever this answers, so a failure
    // here is not reported as a failure to create it.
    FileDescriptor parent(::open(ParentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.IsOpen()) SyncFolder(parent.Get());
}

void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite) {
    const PatternParts parts = Split(sourcePattern);

    FileDescriptor target(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!target.IsOpen()) throw PosixError::ForPath(destination, errno);

    FolderReader source;
    if (!source.Open(parts.folder)) throw PosixError::ForPath(parts.folder, errno);

    std::vector<std::string> names;
    if (Wildcard::HasWildcards(parts.last)) {
        const Wildcard::Pattern wildcard(parts.last);
        for (const Entry& entry : source.Entries([&](std::string_view name) { return wildcard.Matches(name); })) {
            if (source.KindOf(entry) == Kind::Regular) names.push_back(entry.name);
        }
    } else if (!parts.last.empty() && source.KindAt(parts.last) == Kind::Regular) {
        names.push_back(parts.last);
    }
    if (names.empty()) throw PosixError::ForPath(sourcePattern, ENOENT);

    CopyContext context{source.Fd(), parts.folder, target.Get(), destination, overwrite, SyncCoversFiles(target.Get()),
                        {}};
    PendingCopies pending(context);
    try {
        for (const std::string& name : names) {
            try {
                CopyToTemp(context, name, pending);
            } catch (const PlatformError&) {
                // The copies finished before the failing one stay, as they would have had each
                // been renamed into place on its own. Should one of them fail now, it is the
                // first failure and the one reported.
                pending.Commit();
                throw;
            }
            if (pending.Full()) pending.Commit();
        }
        pending.Commit();
    } catch (const PlatformError&) {
        // The copies renamed into place before the failure stay; make their names durable too.
        SyncFolder(target.Get());
        throw;
    }
    if (const int error = SyncFolder(target.Get())) throw PosixError::ForPath(destination, error);
}

LocalTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    ::tzset();
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !::localtime_r(&now, &local)) {
        throw PlatformError("現在の日時を取得できません");
    }
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace quillmere::SystemFiles
