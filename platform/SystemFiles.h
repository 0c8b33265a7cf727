// SystemFiles: the system's own file operations behind PlatformOps (posix/ and win32/).
//
// Patterns are a folder, the separator and a last component; only the last component may hold the
// wildcards ("*", "?" and the DOS wildcards "<", ">" and the double quote), matched by the Windows
// rules (see Wildcard.h). A last component without wildcards is looked up exactly, by the file
// system's own rules. Matches are taken in name order.
// Every failure throws PlatformError naming the path and the system's reason.
#pragma once

#include <cstddef>
#include <string>

#include "platform/CopyMonitor.h"
#include "platform/PlatformOps.h"

namespace quillmere::SystemFiles {

// The first entry (name only) matching the pattern, or "" when nothing matches or the folder
// does not exist. Attributes 0 find ordinary files that are not hidden; 16 find folders too. A
// pattern ending in the separator lists that folder. Throws when the search itself fails.
std::string FindFirstEntry(const std::string& pattern, EntryAttributes attributes);

// Throws naming the folder and the system's reason when it cannot be listed.
void CheckListable(const std::string& folder);

// Creates exactly the one folder the path names; its parent must exist.
void CreateFolder(const std::string& path);

// Copies every regular file matching the pattern (hidden ones too) into the existing destination
// folder under its own name. Each copy is written under a temporary name and renamed into place
// only when its data is durable, so a same-named file is either kept whole or replaced whole.
// The destination itself must be a folder, not a link to one. Within one call a copy never
// replaces another copy of the same call (names the destination takes for one, such as "A.jra"
// and "a.jra" on FAT). Stops at the first file that fails, or when the monitor asks for a stop
// (throwing CopyStopped); the files before it in name order stay, whole under their own names.
// Reports its progress to the monitor.
// With earlierCopies (a folder of the same destination holding an earlier backup), a file whose
// copy there has its size, modification time and permissions (on POSIX also a new copy's owner)
// is taken from that copy: cloned where the file system shares blocks, else linked to it where
// the file system links files; elsewhere, and for every other file, copied.
void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                  CopyMonitor& monitor, const std::string& earlierCopies = {});
inline void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite) {
    UnwatchedCopy monitor;
    CopyMatching(sourcePattern, destination, overwrite, monitor);
}

// The file system that holds the folder (see PlatformOps::FolderIdentity): on Linux "UUID=..."
// where the file system or the system's device links give one, else "DEVICE on MOUNT POINT" from
// the mount table; on Windows "Serial=XXXX-XXXX", else the volume's name and path. Throws naming
// the folder and the system's reason when it is missing, not a folder or cannot be looked at.
std::string FolderIdentity(const std::string& folder);

// In the last few folders in name order that match the pattern (links are not followed), removes
// the temporary files that copies left behind when their process ended before them: only files
// this program names so, inside the runs' work folders (then each folder once empty), and only
// those no live process still writes. Housekeeping: nothing is
// reported. Only the last few are read, so the cost does not grow with the number of folders.
void RemoveLeftoverCopies(const std::string& folderPattern);
inline constexpr std::size_t kLeftoverFoldersRead = 8;

}  // namespace quillmere::SystemFiles
