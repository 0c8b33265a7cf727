// CopyTracker: the bookkeeping of one copy of matching files for its monitor: what is done and
// what is left, reported before each file and at least every few megabytes within one, with the
// stop request looked at in the same places. Shared by the POSIX and the Win32 copy engines.
#pragma once

#include <cstdint>
#include <string>

#include "platform/CopyMonitor.h"

namespace quillmere {

class CopyTracker {
public:
    CopyTracker(CopyMonitor& monitor, const std::string& destination);

    // Counts one more file to copy; called for every file before the first is started.
    void Expect(std::uint64_t bytes);
    // Reports the file about to be copied. Throws CopyStopped when a stop was asked for.
    void StartFile(const std::string& name);
    // Reports now and then. Throws CopyStopped when a stop was asked for.
    void Moved(std::uint64_t bytes);
    void FileDone();
    // Throws CopyStopped when a stop was asked for (between tries of a changing file).
    void CheckStop();
    // The last report: every file done.
    void Finish();
    // The last report of a copy that failed or stopped: the copies it leaves whole under their
    // names, which may be fewer than were done (copies waiting for their names are not named).
    void Failed(std::uint64_t copiesKept);

private:
    static constexpr std::uint64_t kReportEvery = std::uint64_t{4} << 20;

    void ReportAndCheck();

    CopyMonitor& m_monitor;
    const std::string& m_destination;
    CopyProgress m_state;
    std::uint64_t m_sinceReport = 0;
};

}  // namespace quillmere
