// Wildcard matching on code points with simple case folding; see Wildcard.h for the rules.
#include "platform/Wildcard.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/Utf8.h"

namespace quillmere::Wildcard {
namespace {

using Text = std::vector<char32_t>;

// A byte that does not start a valid UTF-8 sequence becomes a value outside Unicode, so it is one
// character that matches only the same byte.
constexpr char32_t kStrayByteBase = 0x110000;

// Decodes UTF-8; a byte that starts no valid sequence is a character of its own.
Text Decode(std::string_view text) {
    Text out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        char32_t value = 0;
        if (const std::size_t length = Utf8::SequenceAt(text, i, value)) {
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

// The operators of the expression a name is matched against. A typed "<", ">" or '"' already is
// the operator of that value, as in the Windows search, so no literal character shares them.
constexpr char32_t kStar = U'*';     // any run of characters
constexpr char32_t kDosStar = U'<';  // any run that stops at the name's last dot, taking it or not
constexpr char32_t kDosQm = U'>';    // one character other than a dot; nothing at a dot or the end
constexpr char32_t kDosDot = U'"';   // a dot, or nothing at the end of the name

bool IsOperator(char32_t c) {
    return c == kStar || c == kDosStar || c == kDosQm || c == kDosDot;
}

// The typed pattern becomes the expression the way the Windows search makes it (see Wildcard.h),
// so that a stored wildcard finds the same names on every platform. Thus "*.jra" is "<.jra", "*."
// (the names without a dot) is "<", and "*.*.*" is "<\"<\"*", which also finds "README".
Text Translate(const Text& typed) {
    std::size_t size = typed.size();
    while (size > 0 && (typed[size - 1] == U' ' || typed[size - 1] == U'.')) --size;
    const bool endsInDot = !typed.empty() && typed.back() == U'.';
    if (size == 3 && typed[0] == U'*' && typed[1] == U'.' && typed[2] == U'*') return {kStar};
    Text expression;
    expression.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        const char32_t c = typed[i];
        const bool last = i + 1 == size;
        const char32_t next = last ? 0 : typed[i + 1];
        if (c == U'?') {
            expression.push_back(kDosQm);
        } else if (c == U'.' && (next == U'?' || next == U'*')) {
            expression.push_back(kDosDot);
        } else if (c == U'*' && (next == U'.' || (last && endsInDot))) {
            expression.push_back(kDosStar);
        } else {
            expression.push_back(c);
        }
    }
    return expression;
}

// Whether the position may be passed over without taking the name's next character, c (0 at
// the end of the name).
bool Skips(char32_t op, bool atEnd, char32_t c) {
    return op == kStar || op == kDosStar || (op == kDosQm && (atEnd || c == U'.')) || (op == kDosDot && atEnd);
}

// Runs the expression as a nondeterministic automaton over its positions: the set of positions
// reachable after each character of the name. No position is visited twice per character, so the
// time is the name's length times the expression's, whatever the stars (no backtracking).
template <typename Name>
bool MatchExpression(const Text& expression, const Name& name) {
    const std::size_t m = expression.size();
    const std::size_t n = name.size();
    if (m == 0 || n == 0) return m == n;
    std::size_t lastDot = n;
    for (std::size_t i = 0; i < n; ++i) {
        if (name[i] == U'.') lastDot = i;
    }
    // Two sets of m + 1 flags; on the stack for any pattern a user types.
    constexpr std::size_t kInline = 256;
    std::array<std::uint8_t, 2 * kInline> inlineFlags{};
    std::vector<std::uint8_t> heapFlags;
    std::uint8_t* current = inlineFlags.data();
    if (m + 1 > kInline) {
        heapFlags.assign(2 * (m + 1), 0);
        current = heapFlags.data();
    }
    std::uint8_t* next = current + m + 1;
    auto close = [&](std::uint8_t* set, std::size_t at) {
        const bool atEnd = at == n;
        const char32_t c = atEnd ? 0 : name[at];
        for (std::size_t p = 0; p < m; ++p) {
            if (set[p] && Skips(expression[p], atEnd, c)) set[p + 1] = 1;
        }
    };
    current[0] = 1;
    close(current, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t c = name[i];
        std::fill(next, next + m + 1, std::uint8_t{0});
        bool alive = false;
        for (std::size_t p = 0; p < m; ++p) {
            if (!current[p]) continue;
            const char32_t op = expression[p];
            std::size_t to = m + 1;  // none
            if (op == kStar) {
                to = p;
            } else if (op == kDosStar) {
                to = c == U'.' && i == lastDot ? p + 1 : p;
            } else if (op == kDosQm) {
                if (c != U'.') to = p + 1;
            } else if (op == kDosDot) {
                if (c == U'.') to = p + 1;
            } else if (op == c) {
                to = p + 1;
            }
            if (to <= m) {
                next[to] = 1;
                alive = true;
            }
        }
        if (!alive) return false;
        close(next, i + 1);
        std::swap(current, next);
    }
    return current[m] != 0;
}

}  // namespace

bool HasWildcards(std::string_view text) {
    return text.find_first_of("*?<>\"") != std::string_view::npos;
}

bool Matches(std::string_view pattern, std::string_view name) {
    return Pattern(pattern).Matches(name);
}

Pattern::Pattern(std::string_view pattern) : m_expression(Translate(Folded(pattern))) {
    // A star and a plain ASCII ending ("*" itself, "*abc"; "<.jra" from "*.jra") matches exactly
    // the names that end so: the ending holds the name's last dot, so kDosStar never has to stop.
    if (m_expression.empty()) return;
    const auto ending = std::next(m_expression.begin());
    const bool plain = std::none_of(ending, m_expression.end(), [](char32_t c) { return IsOperator(c) || c >= 0x80; });
    const bool star = m_expression.front() == kStar ||
                      (m_expression.front() == kDosStar && ending != m_expression.end() && *ending == U'.');
    if (!plain || !star) return;
    m_asciiEnding.emplace();
    for (auto c = ending; c != m_expression.end(); ++c) m_asciiEnding->push_back(static_cast<char>(*c));
}

bool Pattern::Matches(std::string_view name) const {
    if (m_asciiEnding && IsAscii(name)) {
        const std::string& ending = *m_asciiEnding;
        if (name.empty() || name.size() < ending.size()) return false;
        const std::string_view tail = name.substr(name.size() - ending.size());
        for (std::size_t i = 0; i < tail.size(); ++i) {
            if (static_cast<char>(Fold(static_cast<unsigned char>(tail[i]))) != ending[i]) return false;
        }
        return true;
    }
    if (IsAscii(name)) return MatchExpression(m_expression, AsciiName{name});
    return MatchExpression(m_expression, Folded(name));
}

}  // namespace quillmere::Wildcard
