// The POSIX search and folder creation. The copy engine is in CopyMatching.cpp, the clock in
// LocalClock.cpp.
#include "platform/SystemFilesNative.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "platform/NulByte.h"
#include "platform/Wildcard.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FolderReader.h"
#include "platform/posix/FolderSync.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/SourcePattern.h"

namespace quillmere::SystemFiles {
namespace {

using namespace quillmere::posix;

bool IsHidden(const std::string& name) {
    return !name.empty() && name.front() == '.';
}

std::string ParentOf(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : trimmed.substr(0, slash);
}

}  // namespace

std::string Native::FindFirstEntry(const std::string& pattern, bool withFolders) {
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

void CheckListable(const std::string& folder) {
    NulByte::Refuse(folder);
    FolderReader reader;
    if (!reader.Open(folder)) throw PosixError::ForPath(folder, errno);
}

void CreateFolder(const std::string& path) {
    NulByte::Refuse(path);
    if (::mkdir(path.c_str(), 0777) != 0) throw PosixError::ForPath(path, errno);
    // Make the new name durable too. The folder exists now whatever this answers, so a failure
    // here is not reported as a failure to create it. Where a sync of the whole file system
    // writes every folder back, the copy into the new folder makes its name durable with the
    // copies' own syncs (see SyncCopiedNames), and a flush of the device here would only be
    // paid twice; nothing is reported done before then.
    FileDescriptor parent(::open(ParentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.IsOpen() && !SyncCoversFiles(parent.Get())) (void)SyncFolder(parent.Get());
}

}  // namespace quillmere::SystemFiles
