// ChildProcess: starts a program, waits for it and answers its wall-clock time and peak memory,
// taken from the kernel's accounting (wait4), so that ours and a baseline are measured by the
// same means whatever they are written in.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quillmere::bench {

struct Sample {
    double seconds = 0;
    long peakKiB = 0;  // the largest resident set of the program or any child it waited for
};

// Environment settings added to the child's, "NAME=value" each.
using Environment = std::vector<std::string>;

// Starts argv[0] (looked up on PATH) with stdin and stdout on /dev/null. Throws std::runtime_error when it
// cannot be started.
pid_t Start(const std::vector<std::string>& argv, const Environment& environment = {});

// Waits for the child and answers its peak memory; throws when it did not exit with status 0,
// unless it was ended by the signal the caller sent it (expectedSignal).
long Reap(pid_t child, const std::string& what, int expectedSignal = 0);

// Start and Reap, timed.
Sample Run(const std::vector<std::string>& argv, const Environment& environment = {});

}  // namespace quillmere::bench
