// RunRecord: what the record of one run says (outcome, times, counts, inputs, version) and its
// text: UTF-8 "Key=value" lines a person can read, under a "[Run]" line. A value is everything
// after the first "=", spaces kept; a backslash, a line feed and a carriage return in it are
// written "\\", "\n" and "\r", so any value stays on its one line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/PlatformOps.h"

namespace quillmere {

enum class RunOutcome { Running, Completed, Stopped, Failed };

struct RunRecord {
    RunOutcome outcome = RunOutcome::Running;
    std::string failure;         // what the user was told, for a failed run
    std::string started, ended;  // "yyyy-mm-dd hh:nn:ss", local time; ended is empty while running
    std::uint64_t files = 0;     // copies left whole under their names
    std::uint64_t bytes = 0;     // bytes the copy wrote
    std::string source, destination, fileType;
    std::string version;  // of the program that wrote the record
    // Set when removing the folder as an old backup left part of it: it is no whole backup now.
    // Written only when set, as "Removal=partial".
    bool partlyRemoved = false;

    std::string Format() const;
    // nullopt for a text that is no record: without a known outcome, or with a count that is no
    // number. Lines it does not know are passed over, so an older program reads a newer record.
    static std::optional<RunRecord> Parse(const std::string& text);
    static std::string Time(const LocalTime& moment);
};

}  // namespace quillmere
