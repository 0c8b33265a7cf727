// The address launcher gives the system's handler one web page or mail address and nothing else:
// a command it refuses never reaches ShellExecuteW, so no text can start a program of its naming.
#include <gtest/gtest.h>

#include "winapp/WinLauncher.h"

namespace quillmere {
namespace {

struct Command {
    const char* name;
    const char* commandLine;
    const wchar_t* address;  // null: refused
};

class WinLauncherTest : public testing::TestWithParam<Command> {};

TEST_P(WinLauncherTest, PassesOnlyOneWebPageOrMailAddress) {
    const Command& command = GetParam();
    const std::optional<std::wstring> address = WinLauncher::AddressOf(command.commandLine);
    if (command.address) {
        ASSERT_TRUE(address.has_value()) << command.commandLine;
        EXPECT_EQ(*address, command.address);
    } else {
        EXPECT_FALSE(address.has_value()) << command.commandLine;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, WinLauncherTest,
                         testing::Values(Command{"HomePage", "start http://www.tw.test/", L"http://www.tw.test/"},
                                         Command{"Mail", "start mailto:sk@tw.test", L"mailto:sk@tw.test"},
                                         Command{"SchemeInCapitals", "start HTTPS://Tw.test:8080/a?b#c",
                                                 L"HTTPS://Tw.test:8080/a?b#c"},
                                         Command{"SecondCommand", "start http://tw.test/ & calc", nullptr},
                                         Command{"QuoteEndsTheAddress", "start http://tw.test/\"calc", nullptr},
                                         Command{"ControlCharacter", "start http://tw.test/\x01", nullptr},
                                         Command{"InvalidUtf8", "start http://tw.test/\xff", nullptr},
                                         Command{"LocalProgram", "start calc.exe", nullptr},
                                         Command{"LocalFile", "start file:///C:/Windows/System32/calc.exe", nullptr},
                                         Command{"NetworkShare", "start \\\\server\\share\\x.exe", nullptr},
                                         Command{"NoStart", "http://tw.test/", nullptr},
                                         Command{"NoHost", "start http:///calc.exe", nullptr},
                                         Command{"UserBeforeHost", "start http://me@tw.test/", nullptr},
                                         Command{"HostLikeAnOption", "start http://-tw.test/", nullptr},
                                         Command{"MailWithoutDomain", "start mailto:sk", nullptr},
                                         Command{"MailWithPath", "start mailto:sk@tw.test/../calc", nullptr}),
                         [](const testing::TestParamInfo<Command>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere
