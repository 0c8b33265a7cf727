#include "cli/TerminalText.h"

#include "platform/Utf8.h"

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
        const std::size_t length = Utf8::SequenceAt(text, i, value);
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
