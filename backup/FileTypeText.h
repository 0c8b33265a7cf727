// FileTypeText: what the file type box may hold beyond the wildcard's own rules. The wildcard is
// matched against the names of the source folder's own files, so it is one file name: a folder
// separator would make the search look in another folder (a sub-folder, or one outside the
// source), and a text longer than any name the system allows matches nothing while every name of
// the folder is compared with all of it.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillmere::FileTypeText {

// The longest name Windows allows, in UTF-16 units; the stricter of the two systems, and the
// settings are shared with the Windows program.
inline constexpr std::size_t kMaxNameUnits = 255;

// "/" everywhere, and "\" where it separates folders too (Windows).
bool HoldsSeparator(std::string_view text);

// The text's length in UTF-16 units: a character beyond U+FFFF takes two, a byte that is not
// valid UTF-8 one.
std::size_t Utf16Length(std::string_view text);

}  // namespace quillmere::FileTypeText
