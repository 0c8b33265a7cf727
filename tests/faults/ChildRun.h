// ChildRun: runs fault_child, directly or inside one of the mechanisms of fault-helper.sh, and
// collects what it reported: the message boxes it showed, the failures it hit, how it ended.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/PromptScript.h"

namespace quillmere::test {

struct ChildResult {
    std::optional<std::string> skipReason;  // the mechanism is missing on this machine
    int exitCode = -1;                      // -1 when the child did not exit by itself
    bool timedOut = false;
    std::vector<Prompt> prompts;
    std::vector<std::string> errors;  // failures of the settings commands
    std::string errorOutput;
};

// "tmpfs", FOLDER, SIZE, SNAPSHOT; "readonly", FOLDER; "nocaps"; "filesize", BLOCKS; "inject",
// CALL, ERRNO, NTH; or none.
using Mechanism = std::vector<std::string>;

// Runs fault_child with the arguments under the mechanism and waits for it, killing it (and
// failing the test) when it takes longer than the limit.
ChildResult RunChild(const Mechanism& mechanism, const std::vector<std::string>& arguments,
                     std::chrono::milliseconds limit = std::chrono::seconds(30));

// Runs fault-helper.sh with the arguments (already quoted for the shell) and answers its exit
// status (-1 when it did not exit by itself) and what it printed, standard error included.
std::pair<int, std::string> RunHelper(const std::string& arguments);

// A fault_child started in its own process group, output discarded, for tests that kill it.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments);
    // Another program than fault_child: the whole command line.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    void Kill();
    // Sends the signal to the child alone, as the system does at logout.
    void Signal(int signal);
    // The wait status of the child, once it has ended.
    int Wait();

private:
    pid_t m_pid = -1;
};

}  // namespace quillmere::test
