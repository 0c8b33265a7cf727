// RunRecordFiles: the system's own half of a run's record (posix/ and win32/): the hidden record
// folder inside a stamp folder, the durable replacement of the record in it, the lock a live run
// holds on it, the listing of a destination's folders and the removal of an old one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/PlatformOps.h"

namespace quillmere::RunRecordFiles {

// The hidden folder in a stamp folder that holds the record, and the record's file name.
inline constexpr char kFolder[] = ".quillmere";
inline constexpr char kFile[] = "run.ini";

// Lets a run's lock go, when it leaves the scope of a write that was not live, from the held
// locks of this process's live runs (a map from the stamp folder to the open lock).
template <class Held>
struct LetGoUnlessLive {
    Held& held;
    const std::string& stampFolder;
    bool live;
    ~LetGoUnlessLive() {
        if (!live) held.erase(stampFolder);
    }
};

// See PlatformOps::WriteRunRecord. Throws naming the record's path and the system's reason.
void Write(const std::string& stampFolder, const std::string& text, bool live);

// See PlatformOps::ReadRunRecord. A record whose lock cannot be tried counts as live: a run is
// called dead only when that can be told for sure. Throws naming the path and the reason.
std::optional<StoredRunRecord> Read(const std::string& stampFolder);

// See PlatformOps::ListFolders. Throws naming the folder and the reason, also when it is missing.
std::vector<std::string> ListFolders(const std::string& folder);

// See PlatformOps::RemoveRunFolder.
std::string RemoveFolder(const std::string& destination, const std::string& stamp);
// See PlatformOps::SpaceOf: the regular files directly in the folder, no link followed. Throws
// naming the path and the reason.
FolderSpace SpaceOf(const std::string& folder);

}  // namespace quillmere::RunRecordFiles
