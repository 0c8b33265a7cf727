// WineDrive: the drives of the user's Wine prefix, so that a Windows path such as
// "C:\Program Files\Pat98" names on Linux the folder a Windows program installed under Wine sees.
//
// The prefix is $WINEPREFIX, else ~/.wine; its drive X: is the folder the link
// <prefix>/dosdevices/x: leads to. Names are matched as Wine matches them: each component that
// exists is found whatever its case, one that does not is kept as typed (so a destination can
// still be created), and "\" separates as "/" does.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillmere::posix::WineDrive {

// "X:\..." or "X:/...".
bool IsDrivePath(const std::string& text);

// The prefix's dosdevices folder, "" when neither $WINEPREFIX nor a home folder is known.
std::string DeviceFolder();

struct Drive {
    char letter;         // upper case
    std::string folder;  // where its link leads, resolved
};

// The prefix's drives whose link leads to a folder, in letter order.
std::vector<Drive> Drives();

// The path on this system of a drive path, or nothing when the prefix has no such drive.
std::optional<std::string> Map(const std::string& drivePath);

}  // namespace quillmere::posix::WineDrive
