#include "cli/DestinationCheck.h"

#include "backup/FileModule.h"

namespace quillmere::cli {
namespace {

constexpr char kOtherVolume[] = "コピー先フォルダが前回のバックアップと別のファイルシステムにあります。";
constexpr char kUnplugged[] =
    "バックアップ用のディスクが外れて、マウントポイントだけが残っていませんか。"
    "このファイルシステムへバックアップするときは --yes を付けてください。";
constexpr char kAccepted[] = "--yes により、このファイルシステムへバックアップします。";
constexpr char kUnreadable[] = "コピー先フォルダのファイルシステムを確かめられません。確かめずにバックアップします。\n";

}  // namespace

bool DestinationCheck(PlatformOps& ops, const std::string& destination, const std::string& storedVolume, bool accept) {
    const std::string& folder = destination;
    if (storedVolume.empty() || folder.empty()) return true;
    if (FileModule::LookUpFolder(ops, folder).state != FileModule::FolderState::Folder) return true;
    std::string current;
    try {
        current = ops.FolderIdentity(folder);
    } catch (const PlatformError& e) {
        ops.ShowPrompt(kUnreadable + std::string(e.what()), PromptStyle::OkOnly, FileModule::kBackupTitle);
        return true;
    }
    if (current == storedVolume) return true;
    const std::string text =
        std::string(kOtherVolume) + "\n" + folder + "\n前回: " + storedVolume + "\n今回: " + current + "\n";
    ops.ShowPrompt(text + (accept ? kAccepted : kUnplugged), PromptStyle::OkExclamation, FileModule::kBackupTitle);
    return accept;
}

}  // namespace quillmere::cli
