// SystemSettings: the per-user settings store of the system, addressed by application, section
// and key. On Linux it is the INI file of SettingsFile; the Windows build keeps the same contract
// in the registry. Failures throw PlatformError with the place and the reason.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quillmere::SystemSettings {

std::string Read(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& defaultValue);
void Write(const std::string& app, const std::string& section, const std::string& key, const std::string& value);
// Several keys of one section, in order: on Linux in one replace of the file, stored together or
// not at all; in the registry value by value, up to the first failure.
void Write(const std::string& app, const std::string& section,
           const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace quillmere::SystemSettings
