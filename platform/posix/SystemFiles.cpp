// The POSIX system operations: directory search, folder creation, the never-torn file copy and
// the local clock. Linux-specific calls (copy_file_range, FICLONE, renameat2) each fall back to
// plain POSIX where the file system does not offer them.
#include "platform/SystemFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
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

    // The entries whose name passes the filter, in name order. "." and ".." are never listed.
    template <typename Filter>
    std::vector<Entry> Entries(Filter&& accept) {
        std::vector<Entry> entries;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(m_dir.get());
            if (!entry) break;
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..") continue;
            if (accept(name)) entries.push_back({std::string(name), entry->d_type});
        }
        if (errno != 0) throw PosixError::ForPath(m_path, errno);
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

// A copy in progress: a hidden file in the destination folder that becomes the final file only
// by Commit(). Until then it is removed again however the copy ends.
class TempFile {
public:
    TempFile(int folderFd, const std::string& finalPath) : m_folderFd(folderFd) {
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
        throw PosixError::ForPath(finalPath, errno);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!m_name.empty()) ::unlinkat(m_folderFd, m_name.c_str(), 0);
    }

    int Fd() const { return m_fd.Get(); }
    int Close() { return m_fd.Close(); }

    // Moves the finished file over its final name. Answers 0 or the errno of the rename.
    int Commit(const std::string& finalName, bool overwrite) {
        int result = 0;
        if (overwrite) {
            result = ::renameat(m_folderFd, m_name.c_str(), m_folderFd, finalName.c_str());
        } else {
            result = ::renameat2(m_folderFd, m_name.c_str(), m_folderFd, finalName.c_str(), RENAME_NOREPLACE);
            if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
                // The file system cannot refuse a replacement itself; check first. A file that
                // appears in between is replaced, which only a second writer can bring about.
                struct stat st {};
                if (::fstatat(m_folderFd, finalName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                    errno = EEXIST;
                } else {
                    result = ::renameat(m_folderFd, m_name.c_str(), m_folderFd, finalName.c_str());
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
};

struct CopyPaths {
    const std::string& source;
    const std::string& target;
};

void WriteAll(int out, const char* data, std::size_t size, const CopyPaths& paths) {
    while (size > 0) {
        const ssize_t written = ::write(out, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw PosixError::ForPath(paths.target, errno);
        }
        // write(2) answers 0 only when it cannot go on; the kernel reports ENOSPC on the next call,
        // but a zero must never be taken for progress.
        if (written == 0) throw PosixError::ForPath(paths.target, ENOSPC);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

// Moves the data from in to out and answers the number of bytes moved. The kernel does the work
// where it can: a reflink shares the blocks, copy_file_range copies without passing the data
// through this process. Whatever the kernel cannot do (another file system, an old kernel, or an
// error half-way) the read/write loop takes over from the current offsets, so the failure it then
// meets is told against the file that caused it.
off_t CopyData(int in, int out, off_t expectedSize, std::vector<char>& buffer, const CopyPaths& paths) {
    if (expectedSize > 0 && ::ioctl(out, FICLONE, in) == 0) {
        struct stat st {};
        if (::fstat(out, &st) != 0) throw PosixError::ForPath(paths.target, errno);
        return st.st_size;
    }
    off_t total = 0;
    for (;;) {
        const ssize_t moved = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
        if (moved > 0) {
            total += moved;
            continue;
        }
        if (moved < 0 && errno == EINTR) continue;
        // A zero before any byte of a non-empty file is a file system that does not copy this way.
        if (moved == 0 && (total > 0 || expectedSize == 0)) return total;
        break;
    }
    if (buffer.empty()) buffer.resize(std::size_t{1} << 20);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw PosixError::ForPath(paths.source, errno);
        }
        if (got == 0) return total;
        WriteAll(out, buffer.data(), static_cast<std::size_t>(got), paths);
        total += got;
    }
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void CopyOne(int sourceFolderFd, const std::string& sourceFolder, const std::string& name, int targetFolderFd,
             const std::string& targetFolder, bool overwrite, std::vector<char>& buffer) {
    const std::string sourcePath = InFolder(sourceFolder, name);
    const std::string targetPath = InFolder(targetFolder, name);
    const CopyPaths paths{sourcePath, targetPath};

    // O_NONBLOCK: should the entry have turned into a FIFO since it was listed, opening it must
    // not wait for a writer. For a regular file the flag changes nothing.
    FileDescriptor in(::openat(sourceFolderFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in.IsOpen()) throw PosixError::ForPath(sourcePath, errno);
    struct stat before {};
    if (::fstat(in.Get(), &before) != 0) throw PosixError::ForPath(sourcePath, errno);
    if (!S_ISREG(before.st_mode)) return;
    if (const int error = in.MakeBlocking()) throw PosixError::ForPath(sourcePath, error);

    if (!overwrite) {
        struct stat existing {};
        if (::fstatat(targetFolderFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            throw PosixError::ForPath(targetPath, EEXIST);
        }
    }

    TempFile temp(targetFolderFd, targetPath);
    const off_t copied = CopyData(in.Get(), temp.Fd(), before.st_size, buffer, paths);

    // A file written to while it was read would give a copy that is neither its old nor its new
    // content; refuse it rather than keep it under the final name.
    struct stat after {};
    if (::fstat(in.Get(), &after) != 0) throw PosixError::ForPath(sourcePath, errno);
    if (copied != before.st_size || after.st_size != before.st_size || !SameTime(after.st_mtim, before.st_mtim) ||
        !SameTime(after.st_ctim, before.st_ctim)) {
        throw PosixError::ForPath(sourcePath, "コピー中にファイルが変更されました");
    }

    const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
    if (::futimens(temp.Fd(), times) != 0 && errno != ENOSYS && errno != EOPNOTSUPP) {
        throw PosixError::ForPath(targetPath, errno);
    }
    // Permission bits are kept where the file system can hold them; FAT media and some network
    // shares refuse any change, which must not stop a backup onto them.
    (void)::fchmod(temp.Fd(), before.st_mode & 0777);
    if (::fsync(temp.Fd()) != 0) throw PosixError::ForPath(targetPath, errno);
    if (const int error = temp.Close()) throw PosixError::ForPath(targetPath, error);
    if (const int error = temp.Commit(name, overwrite)) throw PosixError::ForPath(targetPath, error);
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
    const auto entries = folder.Entries([&](std::string_view name) {
        return name.front() != '.' && (parts.last.empty() || Wildcard::Matches(parts.last, name));
    });
    // Only the matching names are stat-ed, and only until the first one that qualifies.
    for (const Entry& entry : entries) {
        const Kind kind = folder.KindOf(entry);
        if (kind == Kind::Regular || (kind == Kind::Folder && withFolders)) return entry.name;
    }
    return {};
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
        for (const Entry& entry :
             source.Entries([&](std::string_view name) { return Wildcard::Matches(parts.last, name); })) {
            if (source.KindOf(entry) == Kind::Regular) names.push_back(entry.name);
        }
    } else if (!parts.last.empty() && source.KindAt(parts.last) == Kind::Regular) {
        names.push_back(parts.last);
    }
    if (names.empty()) throw PosixError::ForPath(sourcePattern, ENOENT);

    std::vector<char> buffer;
    try {
        for (const std::string& name : names) {
            CopyOne(source.Fd(), parts.folder, name, target.Get(), destination, overwrite, buffer);
        }
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
