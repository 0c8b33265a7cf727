#include "backup/FolderText.h"

#include <cctype>

namespace quillmere::FolderText {
namespace {

bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (c == '\\' && style == PathStyle::Windows);
}

bool IsDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80;
}

// "X:" of a text that begins with one.
bool HasDrive(const std::string& text) {
    return text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':';
}

bool SameDrive(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

std::string Join(const std::string& folder, const std::string& name, PathStyle style) {
    if (name.empty()) return folder;
    if (!folder.empty() && IsSeparator(folder.back(), style)) return folder + name;
    return folder + (style == PathStyle::Windows ? '\\' : '/') + name;
}

// "./a" names what "a" names; "." and "./" name the folder itself.
std::string WithoutLeadingDots(std::string text, PathStyle style) {
    while (text.size() >= 2 && text[0] == '.' && IsSeparator(text[1], style)) {
        text.erase(0, 2);
        while (!text.empty() && IsSeparator(text.front(), style)) text.erase(0, 1);
    }
    return text == "." ? std::string() : text;
}

// The root of an absolute Windows base: its drive ("C:") or its share ("\\server\share").
std::string WindowsRoot(const std::string& base) {
    if (HasDrive(base)) return base.substr(0, 2);
    if (base.size() > 2 && IsSeparator(base[0], PathStyle::Windows) && IsSeparator(base[1], PathStyle::Windows)) {
        std::size_t end = base.find_first_of("\\/", 2);
        if (end != std::string::npos) end = base.find_first_of("\\/", end + 1);
        return base.substr(0, end);
    }
    return {};
}

std::string WindowsAbsolute(const std::string& text, const std::string& base) {
    if (IsDrivePath(text)) return text;
    if (IsSeparator(text[0], PathStyle::Windows)) {
        // "\\server\share" is absolute; "\x" is x at the root of the current drive.
        if (text.size() > 1 && IsSeparator(text[1], PathStyle::Windows)) return text;
        const std::string root = WindowsRoot(base);
        return root.empty() ? text : root + text;
    }
    if (HasDrive(text)) {
        // "D:x" is x in the current folder of drive D:, which only the base can tell; of any other
        // drive it is taken at the drive's root.
        const std::string rest = WithoutLeadingDots(text.substr(2), PathStyle::Windows);
        if (HasDrive(base) && SameDrive(base[0], text[0])) return Join(base, rest, PathStyle::Windows);
        return text.substr(0, 2) + "\\" + rest;
    }
    if (base.empty()) return text;
    return Join(base, WithoutLeadingDots(text, PathStyle::Windows), PathStyle::Windows);
}

std::string PosixAbsolute(const std::string& text, const std::string& base, const std::string& home) {
    if (text[0] == '/' || IsDrivePath(text)) return text;
    if (text[0] == '~' && (text.size() == 1 || text[1] == '/')) {
        // Without a home folder "~" stays the name it is, taken relative like any other.
        if (!home.empty())
            return Join(home, WithoutLeadingDots(text.substr(std::min<std::size_t>(2, text.size())), PathStyle::Posix),
                        PathStyle::Posix);
    }
    if (base.empty()) return text;
    return Join(base, WithoutLeadingDots(text, PathStyle::Posix), PathStyle::Posix);
}

}  // namespace

std::string TrimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsDrivePath(const std::string& text) {
    return text.size() >= 3 && HasDrive(text) && (text[2] == '\\' || text[2] == '/');
}

std::string Absolute(const std::string& text, const std::string& base, const std::string& home, PathStyle style) {
    if (text.empty()) return text;
    return style == PathStyle::Windows ? WindowsAbsolute(text, base) : PosixAbsolute(text, base, home);
}

}  // namespace quillmere::FolderText
