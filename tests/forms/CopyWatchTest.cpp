// The copy watch's word after a Yes to stopping: a copy that stopped in time is reported by the
// backup run, one that had already finished is said to have completed, and No says nothing.
#include <gtest/gtest.h>

#include "forms/CopyWatch.h"
#include "tests/support/FakePlatform.h"

namespace quillmere::test {
namespace {

// Runs the copy on the caller's thread, which does here what the window's thread does: the
// question comes while the copy runs.
class InlineCopyWatch final : public CopyWatch {
public:
    using CopyWatch::CopyWatch;

protected:
    void RunCopy(const std::string&, const std::function<void(CopyMonitor&)>& copy) override { copy(*this); }
};

struct StopRow {
    const char* name;
    PromptAnswer answer;
    bool looksAgain;  // the copy looks at the stop request after the answer
    std::vector<std::string> expected;
};

class CopyWatchTest : public ::testing::TestWithParam<StopRow> {};

TEST_P(CopyWatchTest, AYesThatCameAfterTheCopysLastLookSaysTheBackupCompleted) {
    std::vector<std::string> log;
    FakePlatform ops(log);
    ops.prompts.answers = {GetParam().answer};
    InlineCopyWatch watch(ops);
    const auto run = [&] {
        watch.Watch("/dst/20010605_210403", [&](CopyMonitor& monitor) {
            monitor.Report({3, 3, 30, 30, ""});
            watch.AskToStop();
            if (GetParam().looksAgain && monitor.StopRequested()) throw CopyStopped("/dst/20010605_210403", 3);
        });
    };
    if (GetParam().answer == PromptAnswer::Yes && GetParam().looksAgain) {
        EXPECT_THROW(run(), CopyStopped);
    } else {
        run();
    }
    EXPECT_EQ(log, GetParam().expected);
}

const std::string kAsk = "prompt 36 [バックアップ] バックアップを中止しますか？";

INSTANTIATE_TEST_SUITE_P(Answers, CopyWatchTest,
                         ::testing::Values(StopRow{"YesAfterTheLastLook",
                                                   PromptAnswer::Yes,
                                                   false,
                                                   {kAsk,
                                                    "prompt 0 [バックアップ] 中止する前にバックアップが完了しました。3 "
                                                    "個のファイルをコピーしました。\n/dst/20010605_210403"}},
                                           StopRow{"YesInTimeStopsTheCopy", PromptAnswer::Yes, true, {kAsk}},
                                           StopRow{"NoLetsTheCopyFinish", PromptAnswer::No, true, {kAsk}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere::test
