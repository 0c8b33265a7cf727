// RealPlatform: the PlatformOps of the running program. Files, clock and settings are the
// toolkit-free system operations; prompts and command launch are the Qt services.
#pragma once

#include "platform/PlatformOps.h"

namespace quillmere {

class RealPlatform final : public PlatformOps {
public:
    int ShowPrompt(const std::string& text, int style, const std::optional<std::string>& title) override;
    std::string FindFirstEntry(const std::string& pattern, int attributes) override;
    void CreateFolder(const std::string& path) override;
    void CopyFile(const std::string& sourcePattern, const std::string& destination, bool overwrite) override;
    LocalTime CurrentLocalTime() override;
    std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                            const std::string& defaultValue) override;
    void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& value) override;
    // A launch that fails or is refused is not reported: the program has nothing to add to what
    // the desktop already shows.
    void LaunchCommand(const std::string& commandLine, int showMode) override;
};

}  // namespace quillmere
