// NulByte: the one byte no path or wildcard may hold. The system calls take C strings, so a NUL
// would cut the text short and the call would act on another, shorter path (the destination's
// parent instead of the destination, say). Every path is checked before it reaches the system,
// and the text of the failure shows the NUL rather than ending at it.
#pragma once

#include <string>
#include <string_view>

#include "platform/PlatformOps.h"

namespace quillmere::NulByte {

inline bool In(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// The text with each NUL written as "\0", fit for a message box.
inline std::string Visible(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\0') {
            out += "\\0";
        } else {
            out += c;
        }
    }
    return out;
}

// Throws naming the path when it holds a NUL; otherwise does nothing.
inline void Refuse(std::string_view path) {
    if (In(path)) throw PlatformError(Visible(path) + ": パスに NUL 文字が含まれています");
}

}  // namespace quillmere::NulByte
