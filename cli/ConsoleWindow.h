// ConsoleWindow: the backup run's "window" in an unattended run: the three inputs as given on the
// command line or as stored, nothing to focus or to show an hourglass on, and the copy's progress
// as one updating line on a terminal. A stop signal stops the copy.
#pragma once

#include <string>

#include "backup/BackupRun.h"

namespace quillmere::cli {

class ConsoleWindow final : public BackupWindow {
public:
    ConsoleWindow(std::string source, std::string destination, std::string wildcard)
        : m_source(std::move(source)), m_destination(std::move(destination)), m_wildcard(std::move(wildcard)) {}

    std::string InputText(BackupInput input) const override {
        switch (input) {
            case BackupInput::SourceFolder: return m_source;
            case BackupInput::DestinationFolder: return m_destination;
            case BackupInput::FileType: return m_wildcard;
        }
        return {};
    }
    void FocusInput(BackupInput) override {}
    void SetMousePointer(MousePointer) override {}
    void ShowFoldersUsed(const std::string&, const std::string&) override {}
    void WatchCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) override;

private:
    std::string m_source, m_destination, m_wildcard;
};

}  // namespace quillmere::cli
