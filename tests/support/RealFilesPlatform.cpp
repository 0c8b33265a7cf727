#include "tests/support/RealFilesPlatform.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/CopyMonitor.h"

namespace quillmere::test {

PromptAnswer RealFilesPlatform::ShowPrompt(const std::string& text, PromptStyle style,
                                           const std::optional<std::string>& title) {
    return prompts.Answer(text, style, title);
}

namespace {

class SlowMonitor final : public CopyMonitor {
public:
    SlowMonitor(CopyMonitor& monitor, std::chrono::milliseconds pause) : m_monitor(monitor), m_pause(pause) {}
    void Report(const CopyProgress& progress) override {
        std::this_thread::sleep_for(m_pause);
        m_monitor.Report(progress);
    }
    bool StopRequested() override { return m_monitor.StopRequested(); }

private:
    CopyMonitor& m_monitor;
    std::chrono::milliseconds m_pause;
};

}  // namespace

void RealFilesPlatform::CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                                     CopyMonitor& monitor) {
    SlowMonitor slow(monitor, reportPause);
    SystemOps::CopyMatching(sourcePattern, destination, overwrite, reportPause.count() > 0 ? slow : monitor);
}

LocalTime RealFilesPlatform::CurrentLocalTime() {
    return fixedTime ? *fixedTime : SystemOps::CurrentLocalTime();
}

std::string RealFilesPlatform::ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                                           const std::string& defaultValue) {
    EXPECT_EQ(app, "Quillmere");
    return m_settings.Read(section, key, defaultValue);
}

void RealFilesPlatform::WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                                     const std::string& value) {
    EXPECT_EQ(app, "Quillmere");
    m_settings.Write(section, key, value);
}

void RealFilesPlatform::LaunchCommand(const std::string& commandLine, ShowMode) {
    ADD_FAILURE() << "a backup launched " << commandLine;
}

}  // namespace quillmere::test
