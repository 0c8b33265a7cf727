// FileModule: the operations on paths and on the file system from which the backup run is built.
//
// JoinPath and StampName only compute text. FolderExists, MakeFolder and CopyMatching call
// one platform operation each and report its failure themselves, at once, in a message box with
// the platform's description (path and reason); their callers are never told. That keeps the
// run's own sequence free of error handling: every step runs and each failure speaks for itself.
#pragma once

#include <cstdint>
#include <string>

#include "backup/CopyWatcher.h"
#include "platform/PlatformOps.h"

namespace quillmere::FileModule {

// The title of the boxes that speak of the backup as a whole: its checks, a stop, the stop question.
inline constexpr char kBackupTitle[] = "バックアップ";

// True when the path names an existing folder (empty roots included), an existing file, or, for
// a path with wildcards, anything that matches. Typed with trailing separators (on Windows "\"
// and "/" alike) it names only a folder, judged as without them. A failing search shows its
// reason in a box titled "Quillmere" and answers false.
bool FolderExists(PlatformOps& ops, const std::string& path);

// What a destination path names. Unknown: the search itself failed (a name longer than the
// system allows, a folder that may not be searched); failure then holds its description.
enum class FolderState { Folder, NotFolder, Missing, Unknown };
struct FolderLookup {
    FolderState state;
    std::string failure;
};

// Looks the path up as FolderExists does, but tells a folder from a file or anything else found
// under that name, and a failing search from a missing folder. Shows nothing.
FolderLookup LookUpFolder(PlatformOps& ops, const std::string& path);

// The folder, the separator unless the folder already ends in one, then the name. On Windows a
// folder ending in "/" gets no "\" after it. On Linux a Windows drive path (a Wine drive's) goes on
// in the separator after its drive.
std::string JoinPath(const std::string& folder, const std::string& name);

// Creates the one folder; a failure shows a "フォルダの作成" box. Answers whether it was made.
bool MakeFolder(PlatformOps& ops, const std::string& path);

enum class CopyOutcome { Copied, Failed, Stopped };

// What a copy left, for the run's record: the copies whole under their names, the bytes the copy
// wrote, and for a failed copy the description the user was shown.
struct CopyCount {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::string failure;
};

// Copies every file of sourceFolder matching wildcard into destinationFolder, replacing same-named
// files, shown by the watcher (which may run it off the caller's thread). A failure shows a
// "ファイルのコピー" box with its description and how many files were copied before it, a stop a
// "バックアップ" box saying how many files were copied and where. Note the order: the wildcard
// comes last. What the copy left goes to count where one is given. With earlierCopies, a file
// unchanged since its copy there is taken from that copy (PlatformOps::CopyMatchingSharing).
CopyOutcome CopyMatching(PlatformOps& ops, const std::string& sourceFolder, const std::string& destinationFolder,
                         const std::string& wildcard, CopyWatcher& watcher, CopyCount* count = nullptr,
                         const std::string& earlierCopies = {});

// Removes what copies of earlier runs into this destination left behind when they were killed
// half-way: their temporary files in the stamp folders. Reports nothing.
void RemoveLeftoverCopies(PlatformOps& ops, const std::string& destination);

// "yyyymmdd_hhnnss" of the moment, or "" for a moment that is not a valid Gregorian date and time.
std::string StampName(const LocalTime& moment);

}  // namespace quillmere::FileModule
