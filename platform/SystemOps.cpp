#include "platform/SystemOps.h"

#include <optional>

#include "platform/RunRecordFiles.h"
#include "platform/SystemClock.h"
#include "platform/SystemFiles.h"
#include "platform/SystemSettings.h"
#include "platform/UserFolders.h"
#ifndef _WIN32
#include "platform/posix/WineDrive.h"
#endif

namespace quillmere {
namespace {

// The path the system operates on, or nothing for a drive path of a Wine drive the user does not
// have. Such a path names nothing: a search finds nothing there, and nothing is created or copied
// (taken as it stands, "D:\backup" would be a new name in whatever folder the program runs in).
std::optional<std::string> Operated(const std::string& path) {
#ifndef _WIN32
    if (posix::WineDrive::IsDrivePath(path)) return posix::WineDrive::Map(path);
#endif
    return path;
}

std::string Operable(const std::string& path) {
    std::optional<std::string> operated = Operated(path);
    if (!operated) {
        throw PlatformError(path + ": Wine のドライブ " + path.substr(0, 2) + " がありません。");
    }
    return *operated;
}

}  // namespace

std::string SystemOps::FindFirstEntry(const std::string& pattern, EntryAttributes attributes) {
    const std::optional<std::string> operated = Operated(pattern);
    return operated ? SystemFiles::FindFirstEntry(*operated, attributes) : std::string();
}

void SystemOps::CreateFolder(const std::string& path) {
    SystemFiles::CreateFolder(Operable(path));
}

void SystemOps::CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                             CopyMonitor& monitor) {
    SystemFiles::CopyMatching(Operable(sourcePattern), Operable(destination), overwrite, monitor);
}

void SystemOps::CopyMatchingSharing(const std::string& sourcePattern, const std::string& destination,
                                    const std::string& earlierCopies, CopyMonitor& monitor) {
    SystemFiles::CopyMatching(Operable(sourcePattern), Operable(destination), true, monitor, Operable(earlierCopies));
}

void SystemOps::RemoveLeftoverCopies(const std::string& folderPattern) {
    if (const std::optional<std::string> operated = Operated(folderPattern)) {
        SystemFiles::RemoveLeftoverCopies(*operated);
    }
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
    return SystemFiles::FolderIdentity(SystemPath(folder));
}

std::string SystemOps::HomeFolder() {
    return UserFolders::Home();
}

std::string SystemOps::WorkingFolder() {
    return UserFolders::Working();
}

std::string SystemOps::SystemPath(const std::string& path) {
    return Operated(path).value_or(path);
}

void SystemOps::WriteRunRecord(const std::string& stampFolder, const std::string& text, bool live) {
    RunRecordFiles::Write(Operable(stampFolder), text, live);
}

std::optional<StoredRunRecord> SystemOps::ReadRunRecord(const std::string& stampFolder) {
    return RunRecordFiles::Read(Operable(stampFolder));
}

std::vector<std::string> SystemOps::ListFolders(const std::string& folder) {
    return RunRecordFiles::ListFolders(Operable(folder));
}

std::string SystemOps::RemoveRunFolder(const std::string& destination, const std::string& stamp) {
    return RunRecordFiles::RemoveFolder(Operable(destination), stamp);
}

std::optional<FolderSpace> SystemOps::SpaceOf(const std::string& folder) {
    return RunRecordFiles::SpaceOf(Operable(folder));
}

}  // namespace quillmere
