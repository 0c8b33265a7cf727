#include "platform/SystemOps.h"

#include "platform/RunRecordFiles.h"
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

void SystemOps::WriteRunRecord(const std::string& stampFolder, const std::string& text, bool live) {
    RunRecordFiles::Write(stampFolder, text, live);
}

std::optional<StoredRunRecord> SystemOps::ReadRunRecord(const std::string& stampFolder) {
    return RunRecordFiles::Read(stampFolder);
}

std::vector<std::string> SystemOps::ListFolders(const std::string& folder) {
    return RunRecordFiles::ListFolders(folder);
}

}  // namespace quillmere
