// Wildcard matching on code points with simple case folding; see Wildcard.h for the rules.
#include "platform/Wildcard.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quillmere::Wildcard {
namespace {

using Text = std::vector<char32_t>;

// A byte that does not start a valid UTF-8 sequence becomes a value outside Unicode, so it is one
// character that matches only the same byte.
constexpr char32_t kStrayByteBase = 0x110000;

// Decodes UTF-8, rejecting overlong forms, surrogates and values above U+10FFFF byte by byte.
Text Decode(std::string_view text) {
    Text out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t value = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07, minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3F);
        }
        valid = valid && value >= minimum && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
        if (valid) {
            out.push_back(value);
            i += length;
        } else {
            out.push_back(kStrayByteBase + lead);
            ++i;
        }
    }
    return out;
}

// Simple one-to-one case folding for the scripts file names are written in here: Latin (with the
// Latin-1 and Extended-A letters), Greek (with its accented capitals and final sigma), Cyrillic and the full-width
// Latin letters of Japanese text. Characters outside these blocks compare as they are.
char32_t Fold(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130) return U'i';
        if (c == 0x178) return 0xFF;
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool evenUpper = (c <= 0x137 && c != 0x131) || (c >= 0x14A && c <= 0x177);
        if (oddUpper && c % 2 == 1) return c + 1;
        if (evenUpper && c % 2 == 0) return c + 1;
        return c;
    }
    if (c >= 0x386 && c <= 0x38F) {
        if (c == 0x386) return 0x3AC;
        if (c >= 0x388 && c <= 0x38A) return c + 0x25;
        if (c == 0x38C) return 0x3CC;
        if (c >= 0x38E) return c + 0x3F;
        return c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c == 0x3C2) return 0x3C3;  // final sigma is a small sigma
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
    return c;
}

Text Folded(std::string_view text) {
    Text out = Decode(text);
    for (char32_t& c : out) c = Fold(c);
    return out;
}

// An ASCII name seen through the folding, so that the common case needs no decoded copy.
struct AsciiName {
    std::string_view text;
    std::size_t size() const { return text.size(); }
    char32_t operator[](std::size_t i) const { return Fold(static_cast<unsigned char>(text[i])); }
};

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Greedy matching with a single backtrack point: on a mismatch after a "*", that star takes one
// more character. Linear in practice and never worse than pattern length times name length.
template <typename Name>
bool MatchFolded(const Text& pattern, std::size_t patternEnd, const Name& name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = patternEnd;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < patternEnd && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (p < patternEnd && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP != patternEnd) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < patternEnd && pattern[p] == U'*') ++p;
    return p == patternEnd;
}

bool EndsWith(const Text& text, std::u32string_view tail) {
    return text.size() >= tail.size() && std::equal(tail.begin(), tail.end(), text.end() - tail.size());
}

template <typename Name>
bool MatchName(const Text& p, const Name& n) {
    if (MatchFolded(p, p.size(), n)) return true;
    if (EndsWith(p, U".*")) return MatchFolded(p, p.size() - 2, n);
    if (EndsWith(p, U".")) {
        for (std::size_t i = 0; i < n.size(); ++i) {
            if (n[i] == U'.') return false;
        }
        return MatchFolded(p, p.size() - 1, n);
    }
    return false;
}

}  // namespace

bool HasWildcards(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

bool Matches(std::string_view pattern, std::string_view name) {
    return Pattern(pattern).Matches(name);
}

Pattern::Pattern(std::string_view pattern) : m_folded(Folded(pattern)) {
    // An ending in "." or ".*" brings the extension rules in; such patterns take the full path.
    const std::string_view ending = pattern.substr(std::min<std::size_t>(1, pattern.size()));
    if (pattern.starts_with('*') && IsAscii(ending) && !HasWildcards(ending) && !ending.ends_with('.')) {
        m_asciiEnding.emplace();
        for (char c : ending) m_asciiEnding->push_back(static_cast<char>(Fold(static_cast<unsigned char>(c))));
    }
}

bool Pattern::Matches(std::string_view name) const {
    if (m_asciiEnding && IsAscii(name)) {
        const std::string& ending = *m_asciiEnding;
        if (name.size() < ending.size()) return false;
        const std::string_view tail = name.substr(name.size() - ending.size());
        for (std::size_t i = 0; i < tail.size(); ++i) {
            if (static_cast<char>(Fold(static_cast<unsigned char>(tail[i]))) != ending[i]) return false;
        }
        return true;
    }
    if (IsAscii(name)) return MatchName(m_folded, AsciiName{name});
    return MatchName(m_folded, Folded(name));
}

}  // namespace quillmere::Wildcard
