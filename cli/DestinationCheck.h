// DestinationCheck: whether a run of the stored inputs may back up into the stored destination.
// A backup disk's mount point stays when the disk is unplugged (a fixed /mnt/usb), an ordinary
// empty folder on the system disk that every later run would fill without a word; what tells it
// from the disk is the file system, which each run stores beside its inputs.
#pragma once

#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::cli {

// True to go ahead. A destination that exists as a folder on another file system than the stored
// one is refused with a message that names the folder and both file systems, unless accepted
// (--yes), which says so. A stored file system that is unknown ("": the settings of an older
// version) accepts any, as does one that cannot be read now (said on standard error); a missing
// destination is left to the run's own checks.
// destination is the folder as the run takes it (trimmed and made absolute).
bool DestinationCheck(PlatformOps& ops, const std::string& destination, const std::string& storedVolume, bool accept);

}  // namespace quillmere::cli
