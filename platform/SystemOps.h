// SystemOps: the part of PlatformOps that the system itself provides (files, clock and the
// settings store), shared by every PlatformOps that works on the real system. Message boxes and
// command launch belong to whoever composes it: the Qt services in the program, a script in tests.
#pragma once

#include "platform/PlatformOps.h"

namespace quillmere {

class SystemOps : public PlatformOps {
public:
    std::string FindFirstEntry(const std::string& pattern, EntryAttributes attributes) override;
    void CreateFolder(const std::string& path) override;
    void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                      CopyMonitor& monitor) override;
    void CopyMatchingSharing(const std::string& sourcePattern, const std::string& destination,
                             const std::string& earlierCopies, CopyMonitor& monitor) override;
    void RemoveLeftoverCopies(const std::string& folderPattern) override;
    LocalTime CurrentLocalTime() override;
    std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                            const std::string& defaultValue) override;
    void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& value) override;
    void WriteSettings(const std::string& app, const std::string& section,
                       const std::vector<std::pair<std::string, std::string>>& values) override;
    std::string FolderIdentity(const std::string& folder) override;
    std::string HomeFolder() override;
    std::string WorkingFolder() override;
    std::string SystemPath(const std::string& path) override;
    void WriteRunRecord(const std::string& stampFolder, const std::string& text, bool live) override;
    std::optional<StoredRunRecord> ReadRunRecord(const std::string& stampFolder) override;
    std::vector<std::string> ListFolders(const std::string& folder) override;
    std::string RemoveRunFolder(const std::string& destination, const std::string& stamp) override;
    std::optional<FolderSpace> SpaceOf(const std::string& folder) override;
};

}  // namespace quillmere
