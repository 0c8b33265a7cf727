#include "platform/qt/RealPlatform.h"

#include "platform/SystemFiles.h"
#include "platform/SystemSettings.h"
#include "platform/qt/QtLauncher.h"
#include "platform/qt/QtPrompt.h"

namespace quillmere {

int RealPlatform::ShowPrompt(const std::string& text, int style, const std::optional<std::string>& title) {
    return QtPrompt::Show(text, style, title);
}

std::string RealPlatform::FindFirstEntry(const std::string& pattern, int attributes) {
    return SystemFiles::FindFirstEntry(pattern, attributes);
}

void RealPlatform::CreateFolder(const std::string& path) {
    SystemFiles::CreateFolder(path);
}

void RealPlatform::CopyFile(const std::string& sourcePattern, const std::string& destination, bool overwrite) {
    SystemFiles::CopyMatching(sourcePattern, destination, overwrite);
}

LocalTime RealPlatform::CurrentLocalTime() {
    return SystemFiles::CurrentLocalTime();
}

std::string RealPlatform::ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                                      const std::string& defaultValue) {
    return SystemSettings::Read(app, section, key, defaultValue);
}

void RealPlatform::WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                                const std::string& value) {
    SystemSettings::Write(app, section, key, value);
}

void RealPlatform::LaunchCommand(const std::string& commandLine, int /*showMode*/) {
    QtLauncher::Launch(commandLine);
}

}  // namespace quillmere
