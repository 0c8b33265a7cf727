#include "tests/RealFilesPlatform.h"

#include <gtest/gtest.h>

namespace quillmere::test {

int RealFilesPlatform::ShowPrompt(const std::string& text, int style, const std::optional<std::string>& title) {
    return prompts.Answer(text, style, title);
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

void RealFilesPlatform::LaunchCommand(const std::string& commandLine, int) {
    ADD_FAILURE() << "a backup launched " << commandLine;
}

}  // namespace quillmere::test
