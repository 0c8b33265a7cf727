// OldRuns: the removal of a destination's old backups by the user's retention limits, after a
// backup completed.
#pragma once

#include <string>
#include <vector>

#include "backup/RetentionRule.h"
#include "platform/PlatformOps.h"

namespace quillmere::OldRuns {

// The limits stored with the inputs, each replaced by the one given when there is one; a stored
// one that cannot be read is 0.
RetentionLimits Limits(PlatformOps& ops, const RetentionOverride& given);

// Removes the runs the rule lets go (see RetentionRule::Removable). Answers what could not be
// removed, one text per folder with its path and the reason; a folder that was left in part is
// marked so in its record. Empty when every folder that was to go went whole.
std::vector<std::string> Remove(PlatformOps& ops, const std::string& destination, const RetentionRule& rule,
                                const std::string& justMade, const LocalTime& start);

}  // namespace quillmere::OldRuns
