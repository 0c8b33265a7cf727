// SystemSettings: the per-user settings store of the system, addressed by application, section
// and key. On Linux it is the INI file of SettingsFile; the Windows build keeps the same contract
// in the registry. Failures throw PlatformError with the place and the reason.
#pragma once

#include <string>

namespace quillmere::SystemSettings {

std::string Read(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& defaultValue);
void Write(const std::string& app, const std::string& section, const std::string& key, const std::string& value);

}  // namespace quillmere::SystemSettings
