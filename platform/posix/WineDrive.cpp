#include "platform/posix/WineDrive.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/UserFolders.h"
#include "platform/posix/FolderReader.h"

namespace quillmere::posix::WineDrive {
namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> DriveFolder(char letter) {
    const std::string devices = DeviceFolder();
    if (devices.empty()) return std::nullopt;
    const std::string link = devices + "/" + static_cast<char>(std::tolower(static_cast<unsigned char>(letter))) + ":";
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(link.c_str(), nullptr), &std::free);
    if (!resolved || !IsFolder(resolved.get())) return std::nullopt;
    return std::string(resolved.get());
}

// A component with a wildcard is a pattern for the search, which matches without regard to case
// itself; "." and ".." are no names to look for.
bool IsName(const std::string& component) {
    return component != "." && component != ".." && component.find_first_of("*?<>\"") == std::string::npos;
}

// The entry of folder named like name whatever its case (ASCII letters, as most names of a Windows
// program's files are), or nothing.
std::optional<std::string> FoundIgnoringCase(const std::string& folder, const std::string& name) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return std::nullopt;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) return std::string(entry->d_name);
    }
    return std::nullopt;
}

}  // namespace

bool IsDrivePath(const std::string& text) {
    return text.size() >= 3 && static_cast<unsigned char>(text[0]) < 0x80 &&
           std::isalpha(static_cast<unsigned char>(text[0])) != 0 && text[1] == ':' &&
           (text[2] == '\\' || text[2] == '/');
}

std::string DeviceFolder() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix) return std::string(prefix) + "/dosdevices";
    const std::string home = UserFolders::Home();
    return home.empty() ? std::string() : home + "/.wine/dosdevices";
}

std::vector<Drive> Drives() {
    std::vector<Drive> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (std::optional<std::string> folder = DriveFolder(letter)) drives.push_back({letter, *folder});
    }
    return drives;
}

std::optional<std::string> Map(const std::string& drivePath) {
    if (!IsDrivePath(drivePath)) return std::nullopt;
    std::optional<std::string> drive = DriveFolder(drivePath[0]);
    if (!drive) return std::nullopt;
    std::string path = *drive;
    bool found = true;  // while every component so far exists, the next is looked for
    std::size_t start = 3;
    while (start <= drivePath.size()) {
        std::size_t end = drivePath.find_first_of("\\/", start);
        if (end == std::string::npos) end = drivePath.size();
        const std::string typed = drivePath.substr(start, end - start);
        start = end + 1;
        if (typed.empty()) continue;
        std::string component = typed;
        if (found && IsName(typed)) {
            struct stat st {};
            if (::lstat(InFolder(path, typed).c_str(), &st) != 0) {
                const std::optional<std::string> other = FoundIgnoringCase(path, typed);
                found = other.has_value();
                if (other) component = *other;
            }
        }
        path = InFolder(path, component);
    }
    return path;
}

}  // namespace quillmere::posix::WineDrive
