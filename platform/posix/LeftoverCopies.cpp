// The clean-up of temporary files that copies left behind in their work folders when their
// process ended before them (killed, or the machine lost power).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/SystemFiles.h"
#include "platform/Wildcard.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FolderReader.h"
#include "platform/posix/SourcePattern.h"
#include "platform/posix/TempFile.h"
#include "platform/posix/WorkFolder.h"

namespace quillmere::SystemFiles {
namespace {

using namespace quillmere::posix;

std::vector<std::string> TempNamesIn(int folderFd, const std::string& path) {
    std::vector<std::string> names;
    FolderReader folder;
    if (!folder.OpenAt(folderFd, path)) return names;
    folder.ForEach([&](std::string_view name, unsigned char) {
        if (TempFile::IsTempName(std::string(name))) names.emplace_back(name);
    });
    return names;
}

// A temporary file is dead when no process holds its lock: a writer takes the lock as it
// creates the file and keeps it until the file has its final name. The name is removed only
// while it still reaches the very file whose lock was taken.
void RemoveDeadTempFiles(int folderFd, const std::string& path) {
    for (const std::string& name : TempNamesIn(folderFd, path)) {
        FileDescriptor file(
            ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        if (!file.IsOpen() || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode)) continue;
        if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) continue;
        struct stat named {};
        if (::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino) {
            ::unlinkat(folderFd, name.c_str(), 0);
        }
    }
}

// A backup copies files only, so a folder in a stamp folder is this program's work folder: its
// dead temporary files are removed, then the folder once it is empty. A folder whose lock a
// running backup holds is left whole; files standing in the stamp folder itself are copies, and
// are never looked at, whatever their names.
void RemoveDeadWorkFolders(int stampFd, const std::string& path) {
    FolderReader stamp;
    if (!stamp.OpenAt(stampFd, path)) return;
    const EntryList folders = stamp.Entries([](std::string_view name) { return WorkFolder::IsWorkName(name); });
    for (const Entry& entry : folders) {
        if (entry.type != DT_DIR && entry.type != DT_UNKNOWN) continue;
        FileDescriptor work(::openat(stampFd, entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened {};
        if (!work.IsOpen() || ::fstat(work.Get(), &opened) != 0) continue;
        // A file system that cannot lock folders answers otherwise; there the files' own locks
        // keep a running backup's copies, and its folder goes only while it is empty.
        if (::flock(work.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) continue;
        RemoveDeadTempFiles(work.Get(), InFolder(path, entry.name));
        struct stat named {};
        if (::fstatat(stampFd, entry.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino) {
            ::unlinkat(stampFd, entry.name.c_str(), AT_REMOVEDIR);
        }
    }
}

}  // namespace

void RemoveLeftoverCopies(const std::string& folderPattern) {
    const PatternParts parts = Split(folderPattern);
    FolderReader parent;
    try {
        if (parts.last.empty() || !parent.Open(parts.folder)) return;
        const Wildcard::Pattern wildcard(parts.last);
        EntryList folders = parent.Entries([&](std::string_view name) { return wildcard.Matches(name); });
        std::erase_if(folders, [](const Entry& entry) { return entry.type != DT_DIR && entry.type != DT_UNKNOWN; });
        if (folders.size() > kLeftoverFoldersRead) folders.erase(folders.begin(), folders.end() - kLeftoverFoldersRead);
        for (const Entry& entry : folders) {
            // A link is not followed: only folders that stand in the destination itself are
            // cleaned.
            FileDescriptor folder(
                ::openat(parent.Fd(), entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (folder.IsOpen()) RemoveDeadWorkFolders(folder.Get(), InFolder(parts.folder, entry.name));
        }
    } catch (const PlatformError&) {
        // Housekeeping only: a folder that cannot be read keeps its leftovers, and the backup
        // goes on.
    }
}

}  // namespace quillmere::SystemFiles
