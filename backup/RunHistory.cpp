#include "backup/RunHistory.h"

#include <algorithm>
#include <optional>

#include "backup/FileModule.h"
#include "backup/RunRecord.h"

namespace quillmere::RunHistory {
namespace {

RunState StateOf(RunOutcome outcome, bool live) {
    switch (outcome) {
        case RunOutcome::Completed: return RunState::Completed;
        case RunOutcome::Stopped: return RunState::Stopped;
        case RunOutcome::Failed: return RunState::Failed;
        case RunOutcome::Running: break;
    }
    return live ? RunState::Running : RunState::Killed;
}

}  // namespace

bool IsStampName(std::string_view name) {
    constexpr std::string_view kShape = "dddddddd_dddddd";
    return name.size() == kShape.size() && std::equal(name.begin(), name.end(), kShape.begin(), [](char c, char s) {
               return s == 'd' ? c >= '0' && c <= '9' : c == s;
           });
}

std::vector<PastRun> List(PlatformOps& ops, const std::string& destination) {
    std::vector<PastRun> runs;
    // A stamp sorts by its time, so name order is the order of the runs.
    for (const std::string& name : ops.ListFolders(destination)) {
        if (!IsStampName(name)) continue;
        PastRun run{name, RunState::NoRecord, 0, 0, {}, false};
        const std::string folder = FileModule::JoinPath(destination, name);
        try {
            if (const std::optional<StoredRunRecord> stored = ops.ReadRunRecord(folder)) {
                const std::optional<RunRecord> record = RunRecord::Parse(stored->text);
                if (!record) {
                    run.state = RunState::Unreadable;
                    run.problem = folder + ": 実行の記録が壊れています。";
                } else {
                    run.state = StateOf(record->outcome, stored->live);
                    run.files = record->files;
                    run.bytes = record->bytes;
                    run.partlyRemoved = record->partlyRemoved;
                }
            }
        } catch (const PlatformError& e) {
            run.state = RunState::Unreadable;
            run.problem = e.what();
        }
        runs.push_back(std::move(run));
    }
    return runs;
}

std::string NewestCompletedBefore(const std::vector<PastRun>& runs, std::string_view stamp) {
    std::string newest;
    for (const PastRun& run : runs) {
        if (run.state == RunState::Completed && run.stamp < stamp && run.stamp > newest) newest = run.stamp;
    }
    return newest;
}

}  // namespace quillmere::RunHistory
