#include "tests/support/FakePlatform.h"

#include "platform/CopyMonitor.h"

namespace quillmere::test {

void FakePlatform::Log(const std::string& line) {
    m_log.push_back(line);
    if (const auto failure = failures.find(line); failure != failures.end()) throw PlatformError(failure->second);
}

PromptAnswer FakePlatform::ShowPrompt(const std::string& text, PromptStyle style,
                                      const std::optional<std::string>& title) {
    return prompts.Answer(text, style, title);
}

std::string FakePlatform::FindFirstEntry(const std::string& pattern, EntryAttributes attributes) {
    const std::string key = pattern + " " + std::to_string(static_cast<int>(attributes));
    Log("find " + key);
    const auto it = found.find(key);
    return it == found.end() ? std::string() : it->second;
}

void FakePlatform::CreateFolder(const std::string& path) {
    Log("mkdir " + path);
}

void FakePlatform::CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                                CopyMonitor& monitor) {
    monitor.Report(copyReport);
    Log("copy " + sourcePattern + " -> " + destination + (overwrite ? " overwrite" : ""));
    if (stopCopyAfter || monitor.StopRequested()) throw CopyStopped(destination, stopCopyAfter.value_or(0));
}

void FakePlatform::CopyMatchingSharing(const std::string& sourcePattern, const std::string& destination,
                                       const std::string& earlierCopies, CopyMonitor& monitor) {
    monitor.Report(copyReport);
    Log("copy " + sourcePattern + " -> " + destination + " overwrite sharing " + earlierCopies);
    if (stopCopyAfter || monitor.StopRequested()) throw CopyStopped(destination, stopCopyAfter.value_or(0));
}

LocalTime FakePlatform::CurrentLocalTime() {
    Log("clock");
    return now;
}

std::string FakePlatform::ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                                      const std::string& defaultValue) {
    const std::string name = app + ":" + section + ":" + key;
    Log("read " + name);
    const auto it = settings.find(name);
    return it == settings.end() ? defaultValue : it->second;
}

void FakePlatform::WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                                const std::string& value) {
    const std::string name = app + ":" + section + ":" + key;
    Log("write " + name + "=" + value);
    settings[name] = value;
}

void FakePlatform::LaunchCommand(const std::string& commandLine, ShowMode showMode) {
    Log("launch " + commandLine + " " + std::to_string(static_cast<int>(showMode)));
}

std::string FakePlatform::FolderIdentity(const std::string& folder) {
    Log("identity " + folder);
    return volume;
}

void FakePlatform::WriteRunRecord(const std::string& stampFolder, const std::string& text, bool live) {
    const std::size_t outcome = text.find("Outcome=") + 8;
    Log("record " + stampFolder + " " + text.substr(outcome, text.find('\n', outcome) - outcome));
    records[stampFolder] = {text, live};
}

std::optional<StoredRunRecord> FakePlatform::ReadRunRecord(const std::string& stampFolder) {
    Log("read record " + stampFolder);
    const auto it = records.find(stampFolder);
    if (it == records.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> FakePlatform::ListFolders(const std::string& folder) {
    Log("list " + folder);
    return folders[folder];
}

std::string FakePlatform::RemoveRunFolder(const std::string& destination, const std::string& stamp) {
    Log("remove " + destination + " " + stamp);
    return removalFailures[stamp];
}

}  // namespace quillmere::test
