#include "platform/posix/IniValue.h"

namespace quillmere::IniValue {

std::string Decode(std::string_view raw) {
    if (raw.empty() || raw.front() != '"') return std::string(raw);
    std::string out;
    for (std::size_t i = 1; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            if (i + 1 == raw.size()) return out;
            break;
        }
        if (c == '\\' && i + 1 < raw.size()) {
            switch (const char escaped = raw[++i]) {
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case '\\':
                case '"': out += escaped; break;
                default: out += '\\', out += escaped; break;
            }
            continue;
        }
        out += c;
    }
    return std::string(raw);
}

std::string Encode(const std::string& value) {
    const bool plain = value.find_first_of("\n\r\t") == std::string::npos && (value.empty() || value.front() != '"');
    if (plain) return value;
    std::string out = "\"";
    for (const char c : value) {
        switch (c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            default: out += c; break;
        }
    }
    return out + '"';
}

}  // namespace quillmere::IniValue
