// The About window's logic: each link launches its fixed command under the hourglass, and the
// pointer comes back however the launch ends.
#include <gtest/gtest.h>

#include "forms/AboutForm.h"
#include "tests/forms/FakeViews.h"
#include "tests/support/FakePlatform.h"

namespace quillmere::test {
namespace {

struct LinkRow {
    const char* name;
    void (AboutForm::*click)();
    const char* launch;
    bool fails;
};

class AboutFormTest : public ::testing::TestWithParam<LinkRow> {};

TEST_P(AboutFormTest, EachLinkLaunchesItsFixedCommandUnderTheHourglass) {
    std::vector<std::string> log;
    FakePlatform ops(log);
    FakeAboutView view(log);
    if (GetParam().fails) ops.failures[GetParam().launch] = "no browser";
    AboutForm form(ops, view);
    if (GetParam().fails) {
        EXPECT_THROW((form.*GetParam().click)(), PlatformError);
    } else {
        (form.*GetParam().click)();
    }
    EXPECT_EQ(log, (std::vector<std::string>{"pointer 11", GetParam().launch, "pointer 0"}));
}

INSTANTIATE_TEST_SUITE_P(
    Links, AboutFormTest,
    ::testing::Values(LinkRow{"Mail", &AboutForm::txtMail_Click, "launch start mailto:sk@tw.test 5", false},
                      LinkRow{"HomePage", &AboutForm::Label3_Click, "launch start http://www.tw.test/ 5", false},
                      LinkRow{"HomePageFails", &AboutForm::Label3_Click, "launch start http://www.tw.test/ 5", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere::test
