// CommandLine: what quillmere-backup was asked to do, read from its arguments, and the exit
// statuses it answers with.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillmere::cli {

// The exit statuses, documented in --help and the README; scripts and timers act on them.
enum ExitStatus : int {
    kCompleted = 0,   // every matching file was copied into the new stamp folder
    kCopyFailed = 1,  // the stamp folder or a copy failed; the copies made before the failure stay
    kUsage = 2,       // the arguments could not be understood
    kRefused = 3,     // an input check refused the inputs, or the destination was not to be created
    kStopped = 4,     // stopped by SIGINT or SIGTERM; the finished copies stay
    // The backup completed, but a script cannot rely on what it printed or on the stored inputs.
    kNotPrinted = 5,  // standard output could not be written (closed, full): the stamp path is lost
    kNotStored = 6,   // the inputs could not be stored: the next run without folders takes the old ones
    kOldRunKept = 7,  // an old backup the retention limits let go could not be removed, or only in part
};

struct Inputs {
    std::optional<std::string> source, destination, wildcard;  // absent: the stored input
};

struct CommandLine {
    bool help = false;
    bool version = false;
    bool yes = false;     // answer Yes to "create the missing destination?"
    bool quiet = false;   // nothing on standard output on success, for cron, which mails any output
    bool list = false;    // list the destination's stamp folders instead of a backup
    bool dryRun = false;  // print the old backups the retention limits would remove, and nothing else
    std::optional<unsigned> keepRuns, keepDays;  // absent: the stored limits
    std::optional<bool> shareUnchanged;          // absent: as stored
    Inputs inputs;
    std::string error;  // not empty when the arguments are wrong
};

// args are the arguments after the program's name, in UTF-8.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help, and of --version.
std::string UsageText();
std::string VersionText();

}  // namespace quillmere::cli
