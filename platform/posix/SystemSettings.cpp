// On Linux each application keeps its settings in its own INI file in the user's config folder.
#include "platform/SystemSettings.h"

#include "platform/posix/SettingsFile.h"

namespace quillmere::SystemSettings {

std::string Read(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& defaultValue) {
    return SettingsFile(SettingsFile::LocationFor(app)).Read(section, key, defaultValue);
}

void Write(const std::string& app, const std::string& section, const std::string& key, const std::string& value) {
    SettingsFile(SettingsFile::LocationFor(app)).Write(section, key, value);
}

void Write(const std::string& app, const std::string& section,
           const std::vector<std::pair<std::string, std::string>>& values) {
    SettingsFile(SettingsFile::LocationFor(app)).Write(section, values);
}

}  // namespace quillmere::SystemSettings
