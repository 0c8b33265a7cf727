#include "platform/CopyTracker.h"

namespace quillmere {

CopyTracker::CopyTracker(CopyMonitor& monitor, const std::string& destination)
    : m_monitor(monitor), m_destination(destination) {}

void CopyTracker::Expect(std::uint64_t bytes) {
    ++m_state.filesTotal;
    m_state.bytesTotal += bytes;
}

void CopyTracker::StartFile(const std::string& name) {
    m_state.currentFile = name;
    ReportAndCheck();
}

void CopyTracker::Moved(std::uint64_t bytes) {
    m_state.bytesDone += bytes;
    m_sinceReport += bytes;
    if (m_sinceReport >= kReportEvery) ReportAndCheck();
}

void CopyTracker::FileDone() {
    ++m_state.filesDone;
}

void CopyTracker::CheckStop() {
    if (m_monitor.StopRequested()) throw CopyStopped(m_destination, m_state.filesDone);
}

void CopyTracker::Finish() {
    m_state.currentFile.clear();
    m_state.filesTotal = m_state.filesDone;
    m_state.bytesTotal = m_state.bytesDone;
    m_monitor.Report(m_state);
}

void CopyTracker::Failed(std::uint64_t copiesKept) {
    m_state.filesDone = copiesKept;
    m_state.currentFile.clear();
    m_monitor.Report(m_state);
}

void CopyTracker::ReportAndCheck() {
    m_sinceReport = 0;
    // A file that grew since it was counted must not take the bar past its end.
    if (m_state.bytesDone > m_state.bytesTotal) m_state.bytesTotal = m_state.bytesDone;
    m_monitor.Report(m_state);
    CheckStop();
}

}  // namespace quillmere
