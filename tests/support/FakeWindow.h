// FakeWindow: the backup run's window, holding the three input texts and logging focus moves and
// pointer changes into the shared call log.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "backup/BackupRun.h"

namespace quillmere::test {

class FakeWindow final : public BackupWindow {
public:
    explicit FakeWindow(std::vector<std::string>& log) : m_log(log) {}

    std::string InputText(BackupInput input) const override { return inputs[static_cast<int>(input)]; }
    void FocusInput(BackupInput input) override {
        static const char* const kNames[] = {"SourceFolder", "DestinationFolder", "FileType"};
        m_log.push_back(std::string("focus ") + kNames[static_cast<int>(input)]);
    }
    void SetMousePointer(MousePointer pointer) override {
        m_log.push_back("pointer " + std::to_string(static_cast<int>(pointer)));
    }

    void ShowFoldersUsed(const std::string& source, const std::string& destination) override {
        foldersShown = {source, destination};
    }

    std::array<std::string, 3> inputs;  // source folder, destination folder, file type
    std::array<std::string, 2> foldersShown;

private:
    std::vector<std::string>& m_log;
};

}  // namespace quillmere::test
