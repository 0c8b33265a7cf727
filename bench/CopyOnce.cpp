// Our side of the copy figures: one CopyMatching through the real system operations, as the
// Execute button runs it, in a process of its own so that its time and peak memory are measured
// the same way as the baseline's cp and sync.
//
// Usage: quillmere_copy_once [--progress] SOURCE-FOLDER DESTINATION-FOLDER WILDCARD
// With --progress the copy reports to a monitor that does what the window's does with each report
// (a locked copy for the window's thread to show), so the cost of progress reporting shows.
// Exits 1 when the copy showed a failure (printed on stderr), 2 on wrong usage.
#include <cstdio>
#include <cstring>
#include <mutex>

#include "backup/FileModule.h"
#include "platform/SystemOps.h"

namespace {

class ConsoleOps final : public quillmere::SystemOps {
public:
    quillmere::PromptAnswer ShowPrompt(const std::string& text, quillmere::PromptStyle,
                                       const std::optional<std::string>&) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        failed = true;
        return quillmere::PromptAnswer::Ok;
    }
    void LaunchCommand(const std::string&, quillmere::ShowMode) override {}

    bool failed = false;
};

class WindowLikeWatcher final : public quillmere::CopyWatcher, public quillmere::CopyMonitor {
public:
    void WatchCopy(const std::string&, const std::function<void(quillmere::CopyMonitor&)>& copy) override {
        copy(*this);
    }
    void Report(const quillmere::CopyProgress& progress) override {
        const std::lock_guard lock(m_mutex);
        m_latest = progress;
    }
    bool StopRequested() override { return false; }

private:
    std::mutex m_mutex;
    quillmere::CopyProgress m_latest;
};

}  // namespace

int main(int argc, char* argv[]) {
    const bool progress = argc == 5 && std::strcmp(argv[1], "--progress") == 0;
    if (argc != 4 && !progress) {
        std::fprintf(stderr, "usage: %s [--progress] SOURCE-FOLDER DESTINATION-FOLDER WILDCARD\n", argv[0]);
        return 2;
    }
    char** const args = argv + (progress ? 2 : 1);
    ConsoleOps ops;
    quillmere::CopyWatcher unwatched;
    WindowLikeWatcher watched;
    quillmere::FileModule::CopyMatching(ops, args[0], args[1], args[2],
                                        progress ? static_cast<quillmere::CopyWatcher&>(watched) : unwatched);
    return ops.failed ? 1 : 0;
}
