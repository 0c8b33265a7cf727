// FolderSync: making names and copies durable on the destination's file system.
#pragma once

namespace quillmere::posix {

// fsync of a folder makes the names created or renamed in it durable. Some file systems cannot
// sync a folder at all (EINVAL); that is no failure of ours.
[[nodiscard]] int SyncFolder(int folderFd);

// Local file systems on which syncfs(2) writes back every file's data and metadata, commits the
// journal and flushes the device's cache: there it makes a file as durable as its own fsync
// would. Elsewhere (network and FUSE file systems, FAT, which then skips the cache flush) only
// fsync asks the storage to keep each file.
bool SyncCoversFiles(int folderFd);

// Makes the names of the copies in the folder durable, and the folder's own name with them. On a
// file system whose whole-file-system sync covers files, a folder is made without a sync of its
// parent; a whole-file-system sync since then (fileSystemSynced) has written its name, and
// otherwise the parent and the one above it (the destination, when the run created it too) are
// synced here. Answers 0 or the errno of the folder's own sync.
[[nodiscard]] int SyncCopiedNames(int folderFd, bool fileSystemSynced);

}  // namespace quillmere::posix
