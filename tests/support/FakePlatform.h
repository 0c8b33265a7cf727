// FakePlatform: a PlatformOps that touches nothing. Every call is appended to a shared call log
// (the fake window logs into the same one, so the order of prompts, focus moves and pointer
// changes can be asserted as one sequence); results and failures come from the test's script.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/CopyMonitor.h"
#include "platform/PlatformOps.h"
#include "tests/support/PromptScript.h"

namespace quillmere::test {

class FakePlatform final : public PlatformOps {
public:
    explicit FakePlatform(std::vector<std::string>& log) : prompts(log), m_log(log) {}

    PromptAnswer ShowPrompt(const std::string& text, PromptStyle style,
                            const std::optional<std::string>& title) override;
    std::string FindFirstEntry(const std::string& pattern, EntryAttributes attributes) override;
    void CreateFolder(const std::string& path) override;
    void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                      CopyMonitor& monitor) override;
    // Logged as the copy, with " sharing EARLIER" at its end.
    void CopyMatchingSharing(const std::string& sourcePattern, const std::string& destination,
                             const std::string& earlierCopies, CopyMonitor& monitor) override;
    LocalTime CurrentLocalTime() override;
    std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                            const std::string& defaultValue) override;
    void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& value) override;
    void LaunchCommand(const std::string& commandLine, ShowMode showMode) override;
    std::string FolderIdentity(const std::string& folder) override;
    // Logged as "record FOLDER OUTCOME", the outcome taken from the record's text.
    void WriteRunRecord(const std::string& stampFolder, const std::string& text, bool live) override;
    std::optional<StoredRunRecord> ReadRunRecord(const std::string& stampFolder) override;
    std::vector<std::string> ListFolders(const std::string& folder) override;
    // Logged as "remove DESTINATION STAMP"; answers removalFailures' text for the stamp, else "".
    std::string RemoveRunFolder(const std::string& destination, const std::string& stamp) override;

    // The search for pattern with these attributes finds name (by default it finds nothing).
    void Find(const std::string& pattern, EntryAttributes attributes, const std::string& name) {
        found[pattern + " " + std::to_string(static_cast<int>(attributes))] = name;
    }

    PromptScript prompts;
    std::map<std::string, std::string> found;
    // An operation whose log line is a key here throws PlatformError with the value as its text.
    std::map<std::string, std::string> failures;
    LocalTime now{2001, 6, 5, 21, 4, 3};
    // Set: the copy stops as if asked to, after this many files.
    std::optional<std::uint64_t> stopCopyAfter;
    // The copy reports this before it ends or fails.
    CopyProgress copyReport;
    std::map<std::string, std::string> settings;              // "app:section:key" -> value
    std::map<std::string, StoredRunRecord> records;           // stamp folder -> its record as last written
    std::map<std::string, std::vector<std::string>> folders;  // what ListFolders finds
    std::string volume = "UUID=0123";                         // the file system of every folder
    std::map<std::string, std::string> removalFailures;       // stamp -> what RemoveRunFolder answers

private:
    void Log(const std::string& line);

    std::vector<std::string>& m_log;
};

}  // namespace quillmere::test
