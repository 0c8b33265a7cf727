// RunList: what `quillmere-backup --list` prints: the stamp folders of a destination, oldest
// first, one line each with how the run ended, its files and its size.
#pragma once

#include <optional>
#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::cli {

// Lists the destination given, or the stored one. Answers the exit status: kCompleted, kRefused
// when there is no destination, kCopyFailed when the destination or a record could not be read
// (said on standard error with the path and the reason; the other folders are still listed).
int ListRuns(PlatformOps& ops, const std::optional<std::string>& destination);

}  // namespace quillmere::cli
