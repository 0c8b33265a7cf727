// SourcePattern: a search pattern cut into its folder and its last component.
#pragma once

#include <string>

namespace quillmere::posix {

struct PatternParts {
    std::string folder;  // "." when the pattern names no folder
    std::string last;    // empty when the pattern ends in "/"
};

inline PatternParts Split(const std::string& pattern) {
    const auto slash = pattern.rfind('/');
    if (slash == std::string::npos) return {".", pattern};
    return {slash == 0 ? "/" : pattern.substr(0, slash), pattern.substr(slash + 1)};
}

}  // namespace quillmere::posix
