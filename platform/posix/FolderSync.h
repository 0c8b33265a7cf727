// FolderSync: making names and copies durable on the destination's file system.
#pragma once

namespace quillmere::posix {

// fsync of a folder makes the names created or renamed in it durable. Some file systems cannot
// sync a folder at all (EINVAL); that is no failure of ours.
int SyncFolder(int folderFd);

// Local file systems on which syncfs(2) writes back every file's data and metadata, commits the
// journal and flushes the device's cache: there it makes a file as durable as its own fsync
// would. Elsewhere (network and FUSE file systems, FAT, which then skips the cache flush) only
// fsync asks the storage to keep each file.
bool SyncCoversFiles(int folderFd);

}  // namespace quillmere::posix
