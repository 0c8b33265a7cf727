#include "backup/OldRuns.h"

#include <optional>

#include "backup/FileModule.h"
#include "backup/RunHistory.h"
#include "backup/RunRecord.h"
#include "settings/SettingsLayout.h"

namespace quillmere::OldRuns {
namespace {

constexpr char kNotMarked[] = "記録に一部削除済みと書けませんでした: ";

// What is left of a folder says in its record that it is no whole backup any more, so neither a
// listing nor the next removal counts it as one.
std::string MarkPartlyRemoved(PlatformOps& ops, const std::string& folder) {
    try {
        const std::optional<StoredRunRecord> stored = ops.ReadRunRecord(folder);
        std::optional<RunRecord> record = stored ? RunRecord::Parse(stored->text) : std::nullopt;
        if (!record) return kNotMarked + folder;
        record->partlyRemoved = true;
        ops.WriteRunRecord(folder, record->Format(), false);
        return {};
    } catch (const PlatformError& e) {
        return kNotMarked + std::string(e.what());
    }
}

}  // namespace

RetentionLimits Limits(PlatformOps& ops, const RetentionOverride& given) {
    // A store that cannot be read keeps every backup, as a damaged value does: removing by a
    // guess is worse than removing nothing. Its failure is the settings' own, told by their write.
    const auto stored = [&](const char* key) {
        try {
            return RetentionRule::LimitFromText(
                ops.ReadSetting(SettingsLayout::kAppName, SettingsLayout::kSectionLastExec, key, ""));
        } catch (const PlatformError&) {
            return 0U;
        }
    };
    return {given.keepRuns ? *given.keepRuns : stored(SettingsLayout::kKeyKeepRuns),
            given.keepDays ? *given.keepDays : stored(SettingsLayout::kKeyKeepDays)};
}

std::vector<std::string> Remove(PlatformOps& ops, const std::string& destination, const RetentionRule& rule,
                                const std::string& justMade, const LocalTime& start) {
    std::vector<std::string> failures;
    if (!rule.Applies()) return failures;
    std::vector<RunHistory::PastRun> runs;
    try {
        runs = RunHistory::List(ops, destination);
    } catch (const PlatformError& e) {
        return {e.what()};
    }
    for (const std::string& stamp : rule.Removable(runs, justMade, start)) {
        const std::string folder = FileModule::JoinPath(destination, stamp);
        try {
            std::string failure = ops.RemoveRunFolder(destination, stamp);
            if (failure.empty()) continue;
            if (std::string marked = MarkPartlyRemoved(ops, folder); !marked.empty()) failure += "\n" + marked;
            failures.push_back(std::move(failure));
        } catch (const PlatformError& e) {
            // Nothing of it was removed: it stays as it was.
            failures.emplace_back(e.what());
        }
    }
    return failures;
}

}  // namespace quillmere::OldRuns
