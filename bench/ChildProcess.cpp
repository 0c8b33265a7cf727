#include "bench/ChildProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quillmere::bench {

pid_t Start(const std::vector<std::string>& argv, const Environment& environment) {
    // Everything the child needs is built before fork: only async-signal-safe calls may follow it.
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork: " + std::string(std::strerror(errno)));
    if (child == 0) {
        for (const std::string& setting : environment) ::putenv(const_cast<char*>(setting.c_str()));
        // The table is the benchmark's own output; what a child prints (the command's stamp
        // folder) goes nowhere.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
        }
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return child;
}

long Reap(pid_t child, const std::string& what, int expectedSignal) {
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error("wait4: " + std::string(std::strerror(errno)));
    }
    const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const bool ended = expectedSignal != 0 && WIFSIGNALED(status) && WTERMSIG(status) == expectedSignal;
    if (!clean && !ended) {
        throw std::runtime_error(what + " failed (" +
                                 (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                                    : "signal " + std::to_string(WTERMSIG(status))) +
                                 ")");
    }
    return usage.ru_maxrss;
}

Sample Run(const std::vector<std::string>& argv, const Environment& environment) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = Start(argv, environment);
    const long peak = Reap(child, argv.front());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), peak};
}

}  // namespace quillmere::bench
