#include "backup/ShareSource.h"

#include "backup/FileModule.h"
#include "backup/RunHistory.h"
#include "settings/SettingsLayout.h"

namespace quillmere::ShareSource {

std::string Folder(PlatformOps& ops, const std::optional<bool>& shareGiven, const std::string& destination,
                   const std::string& stamp) {
    try {
        const bool share = shareGiven ? *shareGiven
                                      : ops.ReadSetting(SettingsLayout::kAppName, SettingsLayout::kSectionLastExec,
                                                        SettingsLayout::kKeyShareUnchanged,
                                                        SettingsLayout::kShareOff) == SettingsLayout::kShareOn;
        if (!share) return {};
        const std::string earlier = RunHistory::NewestCompletedBefore(RunHistory::List(ops, destination), stamp);
        return earlier.empty() ? std::string() : FileModule::JoinPath(destination, earlier);
    } catch (const PlatformError&) {
        return {};
    }
}

}  // namespace quillmere::ShareSource
