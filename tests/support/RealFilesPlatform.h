// RealFilesPlatform: the real file operations with scripted prompts, a settings store of the
// test's own and, where a test needs one, a fixed clock, for backups run end to end in
// temporary folders.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemOps.h"
#include "tests/support/PromptScript.h"
#include "tests/support/TestSettingsStore.h"

namespace quillmere::test {

class RealFilesPlatform final : public SystemOps {
public:
    RealFilesPlatform(std::vector<std::string>& log, std::string settingsFile)
        : prompts(log), m_settings(std::move(settingsFile)) {}

    PromptAnswer ShowPrompt(const std::string& text, PromptStyle style,
                            const std::optional<std::string>& title) override;
    // The real copy, slowed by reportPause at each of its progress reports when that is set.
    void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                      CopyMonitor& monitor) override;
    LocalTime CurrentLocalTime() override;
    std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                            const std::string& defaultValue) override;
    void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& value) override;
    // Key by key into the test's own store, never the system's.
    void WriteSettings(const std::string& app, const std::string& section,
                       const std::vector<std::pair<std::string, std::string>>& values) override {
        PlatformOps::WriteSettings(app, section, values);
    }
    void LaunchCommand(const std::string& commandLine, ShowMode showMode) override;

    const TestSettingsStore& Settings() const { return m_settings; }

    PromptScript prompts;
    std::optional<LocalTime> fixedTime;  // the system clock when absent
    std::chrono::milliseconds reportPause{0};

private:
    TestSettingsStore m_settings;
};

}  // namespace quillmere::test
