// Utf8: reading UTF-8 one character at a time, for the wildcard's matching and the escaping of
// names shown on a terminal.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillmere::Utf8 {

// The length of the valid UTF-8 sequence of two to four bytes at text[i] and its value, or 0 when
// the byte there starts none (an ASCII byte, a stray continuation byte, an overlong form, a
// surrogate or a value above U+10FFFF, or a sequence cut short by the end of the text).
inline std::size_t SequenceAt(std::string_view text, std::size_t i, char32_t& value) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    }
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

}  // namespace quillmere::Utf8
