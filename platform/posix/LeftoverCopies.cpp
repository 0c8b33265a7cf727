// The clean-up of temporary files that copies left behind when their process ended before them
// (killed, or the machine lost power).
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
            if (folder.IsOpen()) RemoveDeadTempFiles(folder.Get(), InFolder(parts.folder, entry.name));
        }
    } catch (const PlatformError&) {
        // Housekeeping only: a folder that cannot be read keeps its leftovers, and the backup
        // goes on.
    }
}

}  // namespace quillmere::SystemFiles
