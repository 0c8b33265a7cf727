#include "backup/FileTypeText.h"

namespace quillmere::FileTypeText {

bool HoldsSeparator(std::string_view text) {
#ifdef _WIN32
    return text.find_first_of("/\\") != std::string_view::npos;
#else
    return text.find('/') != std::string_view::npos;
#endif
}

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
        bool whole = lead >= 0x80 && length > 1 && i + length <= text.size() && lead <= 0xF4;
        for (std::size_t k = 1; whole && k < length; ++k) {
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (whole) {
            units += length == 4 ? 2 : 1;
            i += length;
        } else {
            ++units;
            ++i;
        }
    }
    return units;
}

}  // namespace quillmere::FileTypeText
