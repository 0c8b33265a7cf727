#include "platform/SystemOps.h"

#include "platform/SystemClock.h"
#include "platform/SystemFiles.h"
#include "platform/SystemSettings.h"

namespace quillmere {

std::string SystemOps::FindFirstEntry(const std::string& pattern, EntryAttributes attributes) {
    return SystemFiles::FindFirstEntry(pattern, attributes);
}

void SystemOps::CreateFolder(const std::string& path) {
    SystemFiles::CreateFolder(path);
}

void SystemOps::CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                             CopyMonitor& monitor) {
    SystemFiles::CopyMatching(sourcePattern, destination, overwrite, monitor);
}

void SystemOps::RemoveLeftoverCopies(const std::string& folderPattern) {
    SystemFiles::RemoveLeftoverCopies(folderPattern);
}

LocalTime SystemOps::CurrentLocalTime() {
    return SystemClock::CurrentLocalTime();
}

std::string SystemOps::ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                                   const std::string& defaultValue) {
    return SystemSettings::Read(app, section, key, defaultValue);
}

void SystemOps::WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                             const std::string& value) {
    SystemSettings::Write(app, section, key, value);
}

void SystemOps::WriteSettings(const std::string& app, const std::string& section,
                              const std::vector<std::pair<std::string, std::string>>& values) {
    SystemSettings::Write(app, section, values);
}

std::string SystemOps::FolderIdentity(const std::string& folder) {
    return SystemFiles::FolderIdentity(folder);
}

}  // namespace quillmere
