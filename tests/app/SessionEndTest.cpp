// The program itself, run as a child: a logout or shutdown (SIGTERM) or a closed terminal (SIGHUP)
// reaching the idle program ends it through its event loop, and it stores the window's position
// as Quit does.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempFolder.h"

extern char** environ;

namespace quillmere::test {
namespace {

// Whether the process catches the signal: its handlers are in place.
bool Catches(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1U;
    }
    return false;
}

class SessionEndTest : public ::testing::TestWithParam<int> {};

TEST_P(SessionEndTest, ASignalToTheIdleProgramStoresThePositionAsQuitDoes) {
    TempFolder temp;
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::string(*entry).rfind("XDG_CONFIG_HOME=", 0) != 0) environment.emplace_back(*entry);
    }
    environment.push_back("XDG_CONFIG_HOME=" + (temp / "config"));
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    char program[] = QUILLMERE_PROGRAM;
    char* argv[] = {program, nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()), 0);

    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!Catches(pid, GetParam()) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, GetParam());
    int status = 0;
    deadline = Clock::now() + std::chrono::seconds(20);
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            FAIL() << "the program did not end on the signal";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + GetParam());
    // Nothing was stored before: the window opened at the default place, which is stored.
    const std::string store = ReadFile(temp / "config/Quillmere/Quillmere.conf");
    EXPECT_NE(store.find("Left=1005\n"), std::string::npos) << store;
    EXPECT_NE(store.find("Top=1005\n"), std::string::npos) << store;
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEndTest, ::testing::Values(SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGHUP"); });

}  // namespace
}  // namespace quillmere::test
