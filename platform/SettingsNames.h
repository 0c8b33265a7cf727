// SettingsNames: the application, section and key names the settings stores accept. The names
// come from the program, never from the user, and one rule serves both stores: a name the INI file
// on Linux and the registry on Windows can each hold and read back as written, so a call that one
// system's store accepts the other's accepts too. A name outside the rule is a fault of the caller.
#pragma once

#include <string>

namespace quillmere::SettingsNames {

// The application name becomes a folder and a file on Linux and a registry key on Windows: not
// empty, not "." or "..", and no separator of either system. Throws PlatformError naming it.
void CheckApplication(const std::string& app);

// Why a section or key name is refused, or "" when both are fine. A section holds no brackets, no
// "\" (it would address another registry key) and no line break; a key holds no "=" and no line
// break and does not begin like a comment or a section; neither is empty or has a blank at an end.
std::string Refusal(const std::string& section, const std::string& key);

}  // namespace quillmere::SettingsNames
