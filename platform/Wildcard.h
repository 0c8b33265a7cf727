// Wildcard: file-name matching by the rules of the Windows file search, the same on every platform.
//
// A pattern is read as that search reads it, in two steps. First it becomes an expression: final
// dots and spaces are dropped, as from any path; "*.*" becomes "*"; every "?" becomes ">"; a dot
// before "*" or "?" becomes '"'; a "*" before a dot, or before a dropped final dot, becomes "<".
// Then the expression matches a name where "*" is any run of characters; "<" any run up to the
// name's last dot, which it may take as its own last character; ">" one character other than a
// dot, or none at a dot or at the end of the name; '"' a dot, or none at the end of the name.
// "<", ">" and '"' typed in a pattern are these operators too. So "*.*" and "*.*.*" match every
// name, "*." the names without a dot, "zo01.*" also "zo01", "??." also "a", and "?" never a dot.
// A character is one UTF-8 code point (a byte that is not valid UTF-8 counts as one character of
// its own); letters match without regard to case.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere::Wildcard {

bool HasWildcards(std::string_view text);
bool Matches(std::string_view pattern, std::string_view name);

// A pattern translated and folded once, for matching it against every name of a folder: a name in
// plain ASCII is then matched in place, without decoding or allocating. Matching takes time in
// proportion to the name's length times the pattern's, whatever the pattern.
class Pattern {
public:
    explicit Pattern(std::string_view pattern);
    bool Matches(std::string_view name) const;

private:
    std::vector<char32_t> m_expression;  // translated and folded
    // Set for the commonest patterns, "*" and a plain ASCII ending ("*.jra"), which an ASCII
    // name matches exactly when it ends so, letters compared without regard to case.
    std::optional<std::string> m_asciiEnding;
};

}  // namespace quillmere::Wildcard
