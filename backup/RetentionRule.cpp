#include "backup/RetentionRule.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "backup/FileModule.h"

namespace quillmere {
namespace {

using RunHistory::PastRun;
using RunHistory::RunState;

// Days since 1970-01-01 of a civil date (proleptic Gregorian), for whole-day arithmetic on local
// times without the C library's time zone rules.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t Seconds(const LocalTime& t) {
    const std::int64_t days = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
    return ((days * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
}

// A stamp "yyyymmdd_hhnnss" as a moment; IsStampName has checked its shape.
std::int64_t StampSeconds(const std::string& stamp) {
    const auto field = [&](std::size_t at, std::size_t length) {
        int value = 0;
        std::from_chars(stamp.data() + at, stamp.data() + at + length, value);
        return value;
    };
    return Seconds({field(0, 4), field(4, 2), field(6, 2), field(9, 2), field(11, 2), field(13, 2)});
}

// Runs whose record says how they ended. A live or unreadable record, or none, is never ours to remove.
bool Ended(const PastRun& run) {
    return run.state == RunState::Completed || run.state == RunState::Stopped || run.state == RunState::Failed ||
           run.state == RunState::Killed;
}

// A completed backup of which a removal already took part is no whole backup, and is not counted
// as one of those kept.
bool WholeBackup(const PastRun& run) {
    return run.state == RunState::Completed && !run.partlyRemoved;
}

}  // namespace

unsigned RetentionRule::LimitFromText(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    const std::string number = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    return LimitFromArgument(number).value_or(0);
}

std::optional<unsigned> RetentionRule::LimitFromArgument(const std::string& text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::vector<std::string> RetentionRule::Removable(const std::vector<PastRun>& runs, const std::string& justMade,
                                                  const LocalTime& start) const {
    std::vector<std::string> removable;
    if (!Applies()) return removable;
    // The newest whole backups, newest first: the first keepRuns of them stay, and the newest
    // stays whatever the limits.
    std::vector<std::string> whole;
    for (std::size_t i = runs.size(); i-- > 0;) {
        if (WholeBackup(runs[i])) whole.push_back(runs[i].stamp);
    }
    const std::string newest = whole.empty() ? std::string() : whole.front();
    const std::size_t kept = std::min<std::size_t>(m_limits.keepRuns, whole.size());
    const std::string oldestKept = kept > 0 ? whole[kept - 1] : std::string();
    const std::int64_t cutoff = Seconds(start) - static_cast<std::int64_t>(m_limits.keepDays) * 86400;

    for (const PastRun& run : runs) {
        if (!Ended(run) || run.stamp == justMade || run.stamp == newest) continue;
        // Stamps sort as their times do, so a name compare orders two runs.
        const bool beyondCount =
            m_limits.keepRuns == 0 ||
            (WholeBackup(run) ? std::find(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(kept),
                                          run.stamp) == whole.begin() + static_cast<std::ptrdiff_t>(kept)
                              : !oldestKept.empty() && run.stamp < oldestKept);
        const bool beyondAge = m_limits.keepDays == 0 || StampSeconds(run.stamp) < cutoff;
        if (beyondCount && beyondAge) removable.push_back(run.stamp);
    }
    return removable;
}

std::vector<std::string> RetentionRule::RemovableNext(std::vector<PastRun> runs, const LocalTime& now) const {
    const std::string next = FileModule::StampName(now);
    if (!next.empty() && (runs.empty() || runs.back().stamp < next)) {
        runs.push_back({next, RunState::Completed, 0, 0, {}, false});
    }
    return Removable(runs, next, now);
}

}  // namespace quillmere
