#include "cli/TerminalText.h"

namespace quillmere::cli::TerminalText {
namespace {

void AppendOctal(std::string& out, unsigned char byte) {
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

void AppendControl(std::string& out, unsigned char byte) {
    switch (byte) {
        case '\a': out += "\\a"; return;
        case '\b': out += "\\b"; return;
        case '\t': out += "\\t"; return;
        case '\n': out += "\\n"; return;
        case '\v': out += "\\v"; return;
        case '\f': out += "\\f"; return;
        case '\r': out += "\\r"; return;
        default: AppendOctal(out, byte);
    }
}

// The length of the valid UTF-8 sequence at text[i] and its value, or 0 when the byte there
// starts none (overlong forms, surrogates and values above U+10FFFF are no sequence).
std::size_t SequenceAt(std::string_view text, std::size_t i, char32_t& value) {
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

}  // namespace

std::string Escaped(std::string_view text, LineBreaks lineBreaks) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            const bool kept = lineBreaks == LineBreaks::Keep && (byte == '\n' || byte == '\t');
            if ((byte < 0x20 || byte == 0x7F) && !kept) {
                AppendControl(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++i;
            continue;
        }
        char32_t value = 0;
        const std::size_t length = SequenceAt(text, i, value);
        if (length == 0) {
            AppendOctal(out, byte);
            ++i;
        } else if (value <= 0x9F) {
            for (std::size_t k = 0; k < length; ++k) AppendOctal(out, static_cast<unsigned char>(text[i + k]));
            i += length;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

}  // namespace quillmere::cli::TerminalText
