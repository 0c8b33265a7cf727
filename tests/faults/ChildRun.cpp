#include "tests/faults/ChildRun.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

extern char** environ;

namespace quillmere::test {
namespace {

// The skip status of fault-helper.sh, as automake's test drivers use it.
constexpr int kSkipStatus = 77;

std::vector<std::string> CommandLine(const Mechanism& mechanism, const std::vector<std::string>& arguments) {
    std::vector<std::string> line;
    if (!mechanism.empty()) {
        line = {"bash", QUILLMERE_FAULT_HELPER};
        line.insert(line.end(), mechanism.begin(), mechanism.end());
        line.push_back("--");
    }
    line.push_back(QUILLMERE_FAULT_CHILD);
    line.insert(line.end(), arguments.begin(), arguments.end());
    return line;
}

// Spawns the command in a process group of its own, so a kill reaches the helper script and the
// child it started alike. Standard output and error go to the given descriptors (-1: /dev/null).
pid_t Spawn(const std::vector<std::string>& line, int out, int err) {
    std::vector<char*> argv;
    for (const std::string& word : line) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out >= 0) {
        posix_spawn_file_actions_adddup2(&actions, out, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    if (err >= 0) {
        posix_spawn_file_actions_adddup2(&actions, err, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        ADD_FAILURE() << "cannot start " << line[0] << ": " << std::strerror(error);
        return -1;
    }
    return pid;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            out += text[++i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

void Parse(const std::string& output, ChildResult& result) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            const auto tab = line.find('\t', start);
            if (tab == std::string::npos) break;
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        fields.push_back(line.substr(start));
        if (fields[0] == "prompt" && fields.size() == 4) {
            const std::optional<std::string> title =
                fields[2] == "-" ? std::nullopt : std::optional<std::string>(fields[2]);
            result.prompts.push_back({Unescaped(fields[3]), static_cast<PromptStyle>(std::stoi(fields[1])), title});
        } else if (fields[0] == "error" && fields.size() == 2) {
            result.errors.push_back(Unescaped(fields[1]));
        } else {
            ADD_FAILURE() << "unexpected output of fault_child: " << line;
        }
    }
}

}  // namespace

ChildResult RunChild(const Mechanism& mechanism, const std::vector<std::string>& arguments,
                     std::chrono::milliseconds limit) {
    ChildResult result;
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return result;
    }
    const pid_t pid = Spawn(CommandLine(mechanism, arguments), outPipe[1], errPipe[1]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);

    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&output, &result.errorOutput};
    int open = pid > 0 ? 2 : 0;
    while (open > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            ::kill(-pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char chunk[4096];
            const ssize_t got = ::read(fds[i].fd, chunk, sizeof chunk);
            if (got > 0) {
                sinks[i]->append(chunk, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    if (pid <= 0) return result;

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (result.timedOut) ADD_FAILURE() << "fault_child still ran after " << limit.count() << " ms and was killed";
    if (result.exitCode == kSkipStatus) {
        const auto at = result.errorOutput.find("skip: ");
        result.skipReason = at == std::string::npos ? result.errorOutput : result.errorOutput.substr(at + 6);
        while (!result.skipReason->empty() && result.skipReason->back() == '\n') result.skipReason->pop_back();
        return result;
    }
    Parse(output, result);
    return result;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments)
    : m_pid(Spawn(CommandLine({}, arguments), -1, -1)) {}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> line{program};
    line.insert(line.end(), arguments.begin(), arguments.end());
    m_pid = Spawn(line, -1, -1);
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        Kill();
        Wait();
    }
}

void ChildProcess::Kill() {
    if (m_pid > 0) ::kill(-m_pid, SIGKILL);
}

void ChildProcess::Signal(int signal) {
    if (m_pid > 0) ::kill(m_pid, signal);
}

int ChildProcess::Wait() {
    int status = 0;
    if (m_pid <= 0) return status;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return status;
}

std::pair<int, std::string> RunHelper(const std::string& arguments) {
    FILE* helper = ::popen(("bash '" QUILLMERE_FAULT_HELPER "' " + arguments + " 2>&1").c_str(), "r");
    if (!helper) return {-1, "popen failed"};
    std::string output;
    for (char line[512]; std::fgets(line, sizeof line, helper);) output += line;
    const int status = ::pclose(helper);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

}  // namespace quillmere::test
