// FolderText: a folder as the user typed it, made absolute before any check looks at it, so that
// what a run checks, copies into and stores does not depend on the folder a program was started in.
//
// Only text is computed here; the base folder and the home folder come from the caller (the
// command's working folder, the window's home folder).
#pragma once

#include <string>

namespace quillmere::FolderText {

// How paths are written: POSIX ("/" separates, "/" alone is the root) or Windows ("\" and "/"
// separate, roots are drives and shares).
enum class PathStyle { Posix, Windows };

#ifdef _WIN32
inline constexpr PathStyle kNativeStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativeStyle = PathStyle::Posix;
#endif

// The text without the ASCII spaces around it, as every input is taken. Only ASCII spaces are
// removed: a tab or an ideographic space may be part of a real name.
std::string TrimSpaces(const std::string& text);

// A Windows drive path, "X:\..." or "X:/...". On POSIX systems such a text names a folder of a
// Wine drive (see WineDrive) and is taken as absolute.
bool IsDrivePath(const std::string& text);

// The text (already trimmed) as an absolute path. An absolute text, and on POSIX a drive path, is
// answered unchanged. On POSIX "~" and "~/..." are the home folder. Any other text is taken
// relative to base; a leading "./" is dropped, ".." is kept (only the system knows where a link
// leads). An empty text, or a relative one when the base is unknown (empty), is answered unchanged.
std::string Absolute(const std::string& text, const std::string& base, const std::string& home,
                     PathStyle style = kNativeStyle);

}  // namespace quillmere::FolderText
