// CopyData: moves one file's bytes from the source to its copy, by the fastest means the two
// file systems allow.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/ChangingFile.h"
#include "platform/CopyTracker.h"
#include "platform/posix/FolderReader.h"

namespace quillmere::posix {

// Where one file is copied from and to. The full paths are spelled out only for the text of a
// failure, so a copy that succeeds builds none.
struct CopyPaths {
    const std::string& sourceFolder;
    const std::string& targetFolder;
    const std::string& name;
    std::string Source() const { return InFolder(sourceFolder, name); }
    std::string Target() const { return InFolder(targetFolder, name); }
};

// What stays the same for every file of one copy: the two folders, the buffer of the read/write
// loop, and whether the file system has shown that it cannot share blocks between them, so that
// a call known to fail is not repeated for every file.
// Two file times to the nanosecond.
inline bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

struct CopyContext {
    int sourceFd;
    const std::string& sourceFolder;
    int targetFd;
    const std::string& targetFolder;
    bool overwrite;
    bool syncCoversFiles;
    std::vector<char> buffer;
    bool mayClone = true;
    bool unnamed = true;  // copies are made without a name until the file system refuses
    // The bits the umask takes from a new file's permissions, where known and nothing else (a
    // default ACL of the folder) decides them.
    std::optional<mode_t> creationMask = std::nullopt;
    CopyTracker* progress = nullptr;        // told of every chunk moved; it throws CopyStopped on a stop
    ChangingFile::TimeGrain sourceGrain{};  // how finely the source's file system keeps times
    // The folder of the earlier backup whose unchanged copies are taken instead of the source's
    // files (-1: none), and the ways this destination can take them.
    int earlierFd = -1;
    dev_t targetDevice = 0;
    bool mayCloneEarlier = true;
    bool mayLinkEarlier = false;
};

// Moves the data from in to out and answers the number of bytes moved; throws naming the file that
// failed.
[[nodiscard]] off_t CopyData(int in, int out, off_t expectedSize, CopyContext& context, const CopyPaths& paths);

}  // namespace quillmere::posix
