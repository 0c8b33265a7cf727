// RetentionRule: which of a destination's past runs the user's limits let go once a backup has
// completed. It only reads the list of runs; removing them is OldRuns' work.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/RunHistory.h"
#include "platform/PlatformOps.h"

namespace quillmere {

// The limits as the user set them; 0 is no limit.
struct RetentionLimits {
    unsigned keepRuns = 0;  // the newest completed backups kept
    unsigned keepDays = 0;  // backups whose stamp lies within this many days before the run's start kept
};

// Limits given for one run (on the command line) in place of the stored ones.
struct RetentionOverride {
    std::optional<unsigned> keepRuns, keepDays;
};

class RetentionRule {
public:
    explicit RetentionRule(RetentionLimits limits) : m_limits(limits) {}

    // A stored limit: a whole number, blanks around it allowed. Absent, empty, negative, not a
    // number or too large reads as 0, so a damaged setting keeps every backup.
    static unsigned LimitFromText(const std::string& text);
    // A limit typed on the command line: digits only. nullopt when it is none.
    static std::optional<unsigned> LimitFromArgument(const std::string& text);

    bool Applies() const { return m_limits.keepRuns > 0 || m_limits.keepDays > 0; }

    // The stamps of the runs to remove, oldest first. runs are a destination's, oldest first (as
    // RunHistory::List gives them); justMade is the stamp of the backup that just completed and
    // start the moment that run started. A run goes only when it falls outside every limit set.
    // Never: justMade, the newest completed backup, a run without a readable record, or one whose
    // run is still alive.
    std::vector<std::string> Removable(const std::vector<RunHistory::PastRun>& runs, const std::string& justMade,
                                       const LocalTime& start) const;

    // What the removal after a backup completed at now would take, that backup counted as the
    // newest: the preview a listing shows.
    std::vector<std::string> RemovableNext(std::vector<RunHistory::PastRun> runs, const LocalTime& now) const;

private:
    RetentionLimits m_limits;
};

}  // namespace quillmere
