// Durability: making a batch of finished copies durable, by one sync of the file system where it
// covers files, by each file's own fsync elsewhere.
#pragma once

#include <cstddef>
#include <deque>

#include "platform/posix/TempFile.h"

namespace quillmere::posix {

// How far a batch got: its first files made durable, and the error that stopped the next one.
struct Durability {
    std::size_t durable = 0;
    int error = 0;
    bool fileSystemSynced = false;  // a sync of the whole file system wrote every folder's names too
};

// syncCoversFiles: see SyncCoversFiles; folderFd: the folder the copies are named in.
[[nodiscard]] Durability MakeDurable(int folderFd, bool syncCoversFiles, const std::deque<TempFile>& batch);

}  // namespace quillmere::posix
