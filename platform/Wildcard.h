// Wildcard: file-name matching by the Windows rules, the same on every platform.
//
// "*" matches any run of characters and "?" exactly one character, where a character is one
// UTF-8 code point (a byte that is not valid UTF-8 counts as one character of its own). Letters
// match without regard to case. Two Windows habits are kept because users type them: a pattern
// ending in ".*" also matches the name without that extension ("*.*" matches every name,
// "zo01.*" matches "zo01"), and a pattern ending in "." matches a name that has no dot at all
// against the pattern without that dot ("*." finds the names without an extension).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere::Wildcard {

bool HasWildcards(std::string_view text);
bool Matches(std::string_view pattern, std::string_view name);

// A pattern decoded and folded once, for matching it against every name of a folder: a name in
// plain ASCII is then matched in place, without decoding or allocating.
class Pattern {
public:
    explicit Pattern(std::string_view pattern);
    bool Matches(std::string_view name) const;

private:
    std::vector<char32_t> m_folded;
    // Set for the commonest pattern, "*" and a plain ASCII ending ("*.jra"), which an ASCII
    // name matches exactly when it ends so, letters compared without regard to case.
    std::optional<std::string> m_asciiEnding;
};

}  // namespace quillmere::Wildcard
