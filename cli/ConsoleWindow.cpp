#include "cli/ConsoleWindow.h"

#include <chrono>
#include <cstdio>

#include "cli/ConsolePlatform.h"
#include "cli/TerminalText.h"
#include "platform/StopRequest.h"

namespace quillmere::cli {
namespace {

// Shows the progress on standard error, redrawn in place at most five times a second, and only on
// a terminal: a log or a journal gets the messages, not hundreds of progress lines.
class ConsoleMonitor final : public CopyMonitor {
public:
    ConsoleMonitor() : m_show(ErrorIsTerminal()) {}
    ~ConsoleMonitor() override {
        if (m_shown) WriteError("\n");
    }

    void Report(const CopyProgress& progress) override {
        if (!m_show) return;
        const auto now = std::chrono::steady_clock::now();
        if (m_shown && !progress.currentFile.empty() && now - m_last < std::chrono::milliseconds(200)) return;
        m_last = now;
        m_shown = true;
        const int percent =
            progress.bytesTotal == 0 ? 100 : static_cast<int>(progress.bytesDone * 100 / progress.bytesTotal);
        char counts[96];
        std::snprintf(counts, sizeof counts, "%3d%%  %llu / %llu ファイル  ", percent,
                      static_cast<unsigned long long>(progress.filesDone),
                      static_cast<unsigned long long>(progress.filesTotal));
        RewriteErrorLine(counts + TerminalText::Escaped(progress.currentFile));
    }

    bool StopRequested() override { return StopRequest::Requested(); }

private:
    bool m_show;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_last;
};

}  // namespace

void ConsoleWindow::WatchCopy(const std::string&, const std::function<void(CopyMonitor&)>& copy) {
    ConsoleMonitor monitor;
    copy(monitor);
}

}  // namespace quillmere::cli
