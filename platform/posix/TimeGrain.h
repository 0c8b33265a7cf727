// TimeGrain: how finely the file system holding a folder keeps its files' times.
#pragma once

#include "platform/ChangingFile.h"

namespace quillmere::posix {

// Told by the file system's type, once per copy. FAT keeps a file's time to 2 s; exFAT, FUSE
// and network file systems are taken as coarse too, since what they keep depends on the
// program or server behind them. A folder whose type cannot be read is taken as coarse.
ChangingFile::TimeGrain TimeGrainOf(int folderFd);

}  // namespace quillmere::posix
