// When the POSIX copy engine hands a batch of finished copies over to be made durable: the
// bounds on files, bytes and time, a large file's wait, and each batch's target. Counted only,
// with a made-up clock: no disk is touched.
#include "platform/posix/BatchPolicy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quillmere::test {
namespace {

using posix::BatchPolicy;
using Before = BatchPolicy::Before;
using std::chrono::milliseconds;

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
const BatchPolicy::Clock::time_point kStart{};

struct FullCase {
    const char* name;
    std::size_t candidates;
    std::size_t capacity;
    std::size_t files;  // added to a new batch, each of `size` bytes
    std::uint64_t size;
    milliseconds elapsed;  // since the first of them
    bool earlierSyncing;
    bool dropLast;
    bool full;
    std::size_t target;
};

const FullCase kFullCases[] = {
    {"EmptyBatchWaitsWhateverTheTime", 1000, 16384, 0, 0, milliseconds(60'000), false, false, false, 16384},
    {"BelowTargetWithinTimeWaits", 1000, 16384, 10, 1024, milliseconds(1999), false, false, false, 500},
    {"TwoSecondsFillABatch", 1000, 16384, 10, 1024, milliseconds(2000), true, false, true, 500},
    {"QuarterGigabyteFillsABatch", 1000, 16384, 32, 8 * kMiB, milliseconds(0), true, false, true, 500},
    {"DroppedCopyNoLongerCounts", 1000, 16384, 32, 8 * kMiB, milliseconds(0), true, true, false, 500},
    {"TargetReachedHandsOver", 1000, 16384, 500, 1024, milliseconds(0), false, false, true, 500},
    {"TargetReachedWaitsForEarlierSync", 1000, 16384, 500, 1024, milliseconds(0), true, false, false, 500},
    {"OpenFileBudgetFillsABatch", 1000, 8, 8, 1024, milliseconds(0), true, false, true, 8},
    {"SmallRunAimsAtTheMinimum", 10, 16384, 10, 1024, milliseconds(0), false, false, false, 64},
    {"LargeRunAimsAtTheMostFiles", 100000, 16384, 1, 1024, milliseconds(0), false, false, false, 16384},
};

class BatchFullTest : public testing::TestWithParam<FullCase> {};

TEST_P(BatchFullTest, HandsOverAtItsBounds) {
    const FullCase& c = GetParam();
    BatchPolicy policy(c.candidates, c.capacity);
    for (std::size_t i = 0; i < c.files; ++i) policy.Added(c.size, kStart + milliseconds(i == 0 ? 0 : 1));
    if (c.dropLast) policy.DroppedLast();
    EXPECT_EQ(policy.Full(kStart + c.elapsed, c.earlierSyncing), c.full);
    EXPECT_EQ(policy.Target(), c.target);
}

INSTANTIATE_TEST_SUITE_P(BatchPolicy, BatchFullTest, testing::ValuesIn(kFullCases),
                         [](const testing::TestParamInfo<FullCase>& info) { return info.param.name; });

struct BeforeCase {
    const char* name;
    std::vector<std::uint64_t> batch;  // the sizes already in the batch
    std::uint64_t next;
    Before before;
};

const BeforeCase kBeforeCases[] = {
    {"SmallFileJoinsEmptyBatch", {}, 1024, Before::Nothing},
    {"FileJustUnderLargeJoins", {kMiB}, 16 * kMiB - 1, Before::Nothing},
    {"LargeFileWaitsForEveryCopyBeforeIt", {}, 16 * kMiB, Before::CommitAll},
    {"LargeFileWaitsAlsoBehindAFullBatch", std::vector<std::uint64_t>(17, 15 * kMiB), 64 * kMiB, Before::CommitAll},
    {"FileThatPassesTheBytesHandsOver", std::vector<std::uint64_t>(17, 15 * kMiB), 2 * kMiB, Before::HandOverBatch},
    {"FileThatReachesTheBytesJoins", std::vector<std::uint64_t>(17, 15 * kMiB), kMiB, Before::Nothing},
};

class BatchBeforeAddingTest : public testing::TestWithParam<BeforeCase> {};

TEST_P(BatchBeforeAddingTest, LargeFilesAndBytesGoFirst) {
    const BeforeCase& c = GetParam();
    BatchPolicy policy(1000, 16384);
    for (const std::uint64_t size : c.batch) policy.Added(size, kStart);
    EXPECT_EQ(policy.BeforeAdding(c.next), c.before);
}

INSTANTIATE_TEST_SUITE_P(BatchPolicy, BatchBeforeAddingTest, testing::ValuesIn(kBeforeCases),
                         [](const testing::TestParamInfo<BeforeCase>& info) { return info.param.name; });

// Each batch aims at half of the files still to come, so the last, whose sync nothing overlaps,
// is small; and a batch handed over (or dropped) starts the count of bytes afresh.
TEST(BatchPolicy, EachBatchAimsAtHalfOfTheFilesLeft) {
    BatchPolicy policy(999, 16384);
    std::vector<std::size_t> targets;
    for (std::size_t left = 999; left > 0;) {
        policy.Added(32 * kMiB, kStart);
        targets.push_back(policy.Target());
        const std::size_t files = std::min(policy.Target(), left);
        for (std::size_t i = 1; i < files; ++i) policy.Added(0, kStart);
        EXPECT_TRUE(policy.Full(kStart, false) || files == left);
        left -= files;
        policy.Emptied();
        EXPECT_EQ(policy.BeforeAdding(kMiB), Before::Nothing);
    }
    EXPECT_EQ(targets, (std::vector<std::size_t>{500, 250, 125, 64, 64}));
}

}  // namespace
}  // namespace quillmere::test
