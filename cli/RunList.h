// RunList: what `quillmere-backup --list` prints: the stamp folders of a destination, oldest
// first, one line each with how the run ended, its files and its size, and a mark on those the
// retention limits would remove after the next completed backup; and what `--dry-run` prints.
#pragma once

#include <optional>
#include <string>

#include "backup/RetentionRule.h"
#include "platform/PlatformOps.h"

namespace quillmere::cli {

// Lists the destination given, or the stored one. Answers the exit status: kCompleted, kRefused
// when there is no destination, kCopyFailed when the destination or a record could not be read
// (said on standard error with the path and the reason; the other folders are still listed).
// limits replace the stored retention limits; with dryRun only the folders the limits would
// remove are printed, one full path a line.
int ListRuns(PlatformOps& ops, const std::optional<std::string>& destination, const RetentionOverride& limits = {},
             bool dryRun = false);

}  // namespace quillmere::cli
