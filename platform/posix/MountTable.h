// MountTable: the mounts of /proc/self/mountinfo, and which of them holds a folder. Text in,
// answers out: reading the table and the folder's status is the caller's.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere::posix {

struct Mount {
    unsigned int major = 0, minor = 0;  // the device number that every file on the mount has
    std::string mountPoint;             // as a path, its escapes undone
    std::string source;                 // "/dev/sdb1", "tmpfs", "//server/share", ...
};

// One line of the table; nullopt for a line that lacks its fields.
std::optional<Mount> ParseMountLine(std::string_view line);
// Every mount, in the order of the table: a later mount on the same point hides an earlier one.
std::vector<Mount> ParseMountTable(std::string_view text);

// The mount that holds a folder of device major:minor whose full path, links resolved, is path:
// of the mounts of that device, the one with the longest mount point that contains the path (the
// later one of two alike). A folder whose device no mount has (a Btrfs subvolume has a device of
// its own) is held by the mount with the longest mount point that contains it. nullptr: none.
const Mount* HoldingMount(const std::vector<Mount>& mounts, unsigned int major, unsigned int minor,
                          std::string_view path);

}  // namespace quillmere::posix
