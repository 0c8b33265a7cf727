// WinLauncher: PlatformOps::LaunchCommand without a shell or a command line.
#pragma once

#include <optional>
#include <string>

namespace quillmere::WinLauncher {

// The one address a command names: "start https://HOST..." or "start mailto:NAME@HOST". Anything
// else (other schemes, local files, a second word, control characters) names none.
std::optional<std::wstring> AddressOf(const std::string& commandLine);

// Hands the address to the system's own handler (ShellExecuteW with the "open" verb); a command
// that names no address runs nothing. Answers whether the system accepted it.
bool Launch(const std::string& commandLine);

}  // namespace quillmere::WinLauncher
