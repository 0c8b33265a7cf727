#include "platform/SettingsNames.h"

#include <string_view>

#include "platform/PlatformOps.h"

namespace quillmere::SettingsNames {
namespace {

// The INI file trims spaces and tabs around names, so a name with one at an end would read back
// without it.
bool TrimmedAlready(std::string_view name) {
    constexpr std::string_view kBlanks = " \t";
    return kBlanks.find(name.front()) == std::string_view::npos && kBlanks.find(name.back()) == std::string_view::npos;
}

}  // namespace

void CheckApplication(const std::string& app) {
    if (app.empty() || app == "." || app == ".." || app.find_first_of("\\/") != std::string::npos) {
        throw PlatformError("設定のアプリケーション名が正しくありません: " + app);
    }
}

std::string Refusal(const std::string& section, const std::string& key) {
    const bool sectionOk =
        !section.empty() && section.find_first_of("\\[]\r\n") == std::string::npos && TrimmedAlready(section);
    const bool keyOk = !key.empty() && key.find_first_of("=\r\n") == std::string::npos && TrimmedAlready(key) &&
                       key.find_first_of(";#[") != 0;
    if (sectionOk && keyOk) return {};
    return "設定の名前が正しくありません [" + section + "] " + key;
}

}  // namespace quillmere::SettingsNames
