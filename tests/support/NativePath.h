// Native: test paths are written with "/"; this turns them into the platform's own form, so the
// same tables run where the separator is "\".
#pragma once

#include <algorithm>
#include <map>
#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::test {

inline std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

inline std::map<std::string, std::string> Native(const std::map<std::string, std::string>& paths) {
    std::map<std::string, std::string> out;
    for (const auto& [key, value] : paths) out[Native(key)] = Native(value);
    return out;
}

}  // namespace quillmere::test
