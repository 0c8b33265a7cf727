// Our side of the copy figures: one CopyMatchingFiles through the real system operations, as the
// Execute button runs it, in a process of its own so that its time and peak memory are measured
// the same way as the baseline's cp and sync.
//
// Usage: quillmere_copy_once SOURCE-FOLDER DESTINATION-FOLDER WILDCARD
// Exits 1 when the copy showed a failure (printed on stderr), 2 on wrong usage.
#include <cstdio>

#include "backup/FileModule.h"
#include "platform/SystemOps.h"

namespace {

class ConsoleOps final : public quillmere::SystemOps {
public:
    int ShowPrompt(const std::string& text, int, const std::optional<std::string>&) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        failed = true;
        return quillmere::PromptAnswer::Ok;
    }
    void LaunchCommand(const std::string&, int) override {}

    bool failed = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE-FOLDER DESTINATION-FOLDER WILDCARD\n", argv[0]);
        return 2;
    }
    ConsoleOps ops;
    quillmere::CopyWatcher watcher;
    quillmere::FileModule::CopyMatchingFiles(ops, argv[1], argv[2], argv[3], watcher);
    return ops.failed ? 1 : 0;
}
