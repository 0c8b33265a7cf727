// Which past runs the retention limits let go, on lists of runs without a disk.
#include "backup/RetentionRule.h"

#include <gtest/gtest.h>

namespace quillmere::test {
namespace {

using RunHistory::RunState;

struct RuleCase {
    const char* name;
    RetentionLimits limits;
    // Oldest first, "MMDD:S": a stamp of 2026-MM-DD and its state: C completed, P partly removed
    // completed, S stopped, F failed, K killed, R running, N no record, U unreadable. The last is
    // the run just made, started on 2026-12-09.
    std::vector<std::string> runs;
    std::vector<std::string> removed;  // "MMDD"
};

std::vector<std::string> Removed(const RuleCase& c) {
    std::vector<RunHistory::PastRun> runs;
    for (const std::string& run : c.runs) {
        const std::string states = "CPSFKRNU";
        const RunState state[] = {RunState::Completed, RunState::Completed, RunState::Stopped,  RunState::Failed,
                                  RunState::Killed,    RunState::Running,   RunState::NoRecord, RunState::Unreadable};
        const std::size_t at = states.find(run[5]);
        runs.push_back({"2026" + run.substr(0, 4) + "_120000", state[at], 0, 0, {}, run[5] == 'P'});
    }
    std::vector<std::string> removed;
    for (const std::string& stamp :
         RetentionRule(c.limits).Removable(runs, runs.back().stamp, LocalTime{2026, 12, 9, 12, 0, 0})) {
        removed.push_back(stamp.substr(4, 4));
    }
    return removed;
}

class RetentionRuleTest : public testing::TestWithParam<RuleCase> {};

TEST_P(RetentionRuleTest, RemovesWhatIsOutsideEveryLimitSet) {
    EXPECT_EQ(Removed(GetParam()), GetParam().removed);
}

INSTANTIATE_TEST_SUITE_P(
    , RetentionRuleTest,
    testing::Values(
        RuleCase{"NoLimitKeepsEverything", {0, 0}, {"1101:C", "1102:F", "1209:C"}, {}},
        // Stopped and failed runs count for nothing; those older than the oldest kept backup go.
        RuleCase{"CountKeepsTheNewestCompleted",
                 {2, 0},
                 {"1101:C", "1102:F", "1103:C", "1104:S", "1105:K", "1209:C"},
                 {"1101", "1102"}},
        RuleCase{"AgeGoesByTheStampBeforeTheStart", {0, 30}, {"1108:C", "1109:S", "1110:C", "1209:C"}, {"1108"}},
        // Both set: only what is outside both goes (1115 is beyond the count, but within the days).
        RuleCase{"BothLimitsMustBeExceeded", {2, 30}, {"1001:C", "1115:C", "1201:C", "1209:C"}, {"1001"}},
        // A clock set back made the new run's stamp older than a completed one.
        RuleCase{"NewestCompletedAndTheNewRunStay", {1, 1}, {"1101:C", "1231:C", "1209:C"}, {"1101"}},
        RuleCase{"RunningUnrecordedAndUnreadableStay", {1, 1}, {"1101:R", "1102:N", "1103:U", "1209:C"}, {}},
        // What a removal left of a folder takes no whole backup's place among those kept.
        RuleCase{"PartlyRemovedCountsAsNoBackup", {2, 0}, {"1101:C", "1102:P", "1209:C"}, {}}),
    [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(RetentionRuleLimit, StoredTextThatIsNoNumberKeepsEverything) {
    EXPECT_EQ(RetentionRule::LimitFromText(" 7 "), 7U);
    for (const char* text : {"", "x", "-1", "1.5", "99999999999"}) EXPECT_EQ(RetentionRule::LimitFromText(text), 0U);
    EXPECT_FALSE(RetentionRule::LimitFromArgument("+3"));
}

}  // namespace
}  // namespace quillmere::test
