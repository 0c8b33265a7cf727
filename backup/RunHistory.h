// RunHistory: the runs a destination holds, read from the stamp folders and their records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PlatformOps.h"

namespace quillmere::RunHistory {

enum class RunState {
    Running,  // its run still holds the record (or the system cannot tell whether it does)
    Completed,
    Stopped,
    Failed,
    Killed,      // "running", but no live run holds the record: the process ended without its last write
    NoRecord,    // a stamp folder without a record: made by an older version, or by hand
    Unreadable,  // problem says why
};

struct PastRun {
    std::string stamp;
    RunState state;
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::string problem;
    bool partlyRemoved = false;  // its removal as an old backup left part of it (see RunRecord)
};

// "yyyymmdd_hhnnss": the names StampName gives.
bool IsStampName(std::string_view name);

// The stamp folders of the destination, oldest first (links to folders and other folders are
// left out). Throws PlatformError when the destination cannot be listed.
std::vector<PastRun> List(PlatformOps& ops, const std::string& destination);

// The stamp of the newest completed run of runs (oldest first) older than the stamp given, or ""
// when there is none.
std::string NewestCompletedBefore(const std::vector<PastRun>& runs, std::string_view stamp);

}  // namespace quillmere::RunHistory
