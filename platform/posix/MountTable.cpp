#include "platform/posix/MountTable.h"

#include <algorithm>
#include <charconv>

namespace quillmere::posix {
namespace {

// The table writes a space, a tab, a line break and a backslash in a path as "\" and three octal
// digits ("\040"), so that its fields stay apart.
std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto octal = [&](std::size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '7'; };
        if (text[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        if (end > start) fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool Number(std::string_view text, unsigned int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// Whether the mount point is the path or one of its parent folders.
bool Contains(std::string_view mountPoint, std::string_view path) {
    if (!path.starts_with(mountPoint)) return false;
    return mountPoint.size() == path.size() || mountPoint.ends_with('/') || path[mountPoint.size()] == '/';
}

}  // namespace

// ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER-OPTIONS
std::optional<Mount> ParseMountLine(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() < 9) return std::nullopt;
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (separator + 2 >= fields.size()) return std::nullopt;
    const std::string_view device = fields[2];
    const std::size_t colon = device.find(':');
    Mount mount;
    if (colon == std::string_view::npos || !Number(device.substr(0, colon), mount.major) ||
        !Number(device.substr(colon + 1), mount.minor)) {
        return std::nullopt;
    }
    mount.mountPoint = Unescaped(fields[4]);
    mount.source = Unescaped(fields[separator + 2]);
    return mount;
}

std::vector<Mount> ParseMountTable(std::string_view text) {
    std::vector<Mount> mounts;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (auto mount = ParseMountLine(text.substr(0, end))) mounts.push_back(std::move(*mount));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return mounts;
}

const Mount* HoldingMount(const std::vector<Mount>& mounts, unsigned int major, unsigned int minor,
                          std::string_view path) {
    const Mount* onDevice = nullptr;
    const Mount* anyDevice = nullptr;
    for (const Mount& mount : mounts) {
        if (!Contains(mount.mountPoint, path)) continue;
        if (!anyDevice || mount.mountPoint.size() >= anyDevice->mountPoint.size()) anyDevice = &mount;
        if (mount.major == major && mount.minor == minor &&
            (!onDevice || mount.mountPoint.size() >= onDevice->mountPoint.size())) {
            onDevice = &mount;
        }
    }
    return onDevice ? onDevice : anyDevice;
}

}  // namespace quillmere::posix
