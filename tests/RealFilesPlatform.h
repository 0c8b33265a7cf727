// RealFilesPlatform: the real file operations with scripted prompts, a settings file of the
// test's choosing and, where a test needs one, a fixed clock, for backups run end to end in
// temporary folders.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemOps.h"
#include "tests/PromptScript.h"

namespace quillmere::test {

class RealFilesPlatform final : public SystemOps {
public:
    RealFilesPlatform(std::vector<std::string>& log, std::filesystem::path settingsFile)
        : prompts(log), m_settingsFile(std::move(settingsFile)) {}

    int ShowPrompt(const std::string& text, int style, const std::optional<std::string>& title) override;
    LocalTime CurrentLocalTime() override;
    std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                            const std::string& defaultValue) override;
    void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& value) override;
    void LaunchCommand(const std::string& commandLine, int showMode) override;

    PromptScript prompts;
    std::optional<LocalTime> fixedTime;  // the system clock when absent

private:
    std::filesystem::path m_settingsFile;
};

}  // namespace quillmere::test
