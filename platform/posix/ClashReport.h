// ClashReport: the failure of a copy whose name the destination takes for that of an earlier
// copy of the same run.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/posix/CopyData.h"
#include "platform/posix/PlacedNames.h"

namespace quillmere::posix {

// Throws naming the source file and the earlier copy it would replace: the copy the name now
// reaches (reached, or looked up when null), else one spelled otherwise only in case, else one
// the name matches as a pattern. Reads the folder, as it is only ever on the way to a failure.
[[noreturn]] void ThrowClash(const CopyContext& context, const PlacedNames& placed, const std::string& name,
                             const struct stat* reached);

}  // namespace quillmere::posix
