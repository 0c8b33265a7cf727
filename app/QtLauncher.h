// QtLauncher: PlatformOps::LaunchCommand without a shell.
#pragma once

#include <string>

namespace quillmere::QtLauncher {

// Opens a web page ("start https://...") or a new mail ("start mailto:ADDRESS") with the desktop's
// own handler. Any other command text is refused and nothing runs: the text never reaches a shell
// or a program of its own naming. The handler starts with the open-file limit this program
// started with, not the raised one. Answers whether the desktop accepted the address.
bool Launch(const std::string& commandLine);

}  // namespace quillmere::QtLauncher
