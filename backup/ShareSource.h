// ShareSource: which earlier backup a run may take its unchanged files from.
#pragma once

#include <optional>
#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::ShareSource {

// The folder of the newest completed backup before the stamp in the destination, when the user
// shares unchanged files (given for this run, else as stored); else "". Records that cannot be
// read share nothing: every file is then copied, as without the setting, so the backup is whole
// all the same.
std::string Folder(PlatformOps& ops, const std::optional<bool>& shareGiven, const std::string& destination,
                   const std::string& stamp);

}  // namespace quillmere::ShareSource
