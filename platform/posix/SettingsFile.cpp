// The INI settings file: parsing, the line-preserving edit of one key, and the atomic replacement
// of the whole file under an advisory lock on its folder.
#include "platform/posix/SettingsFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/NulByte.h"
#include "platform/PlatformOps.h"
#include "platform/SettingsNames.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FileReplacement.h"
#include "platform/posix/IniValue.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/PosixIo.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kBlanks = " \t";

// Line ends are kept as found, each line's own: a file edited on Windows keeps its CR LF on the
// lines the program does not know, and the lines it adds take the end of the file's first line.
struct Line {
    std::string text;  // without its line end
    std::string_view end;
};

struct Document {
    bool byteOrderMark = false;
    std::string_view lineEnd = "\n";
    std::vector<Line> lines;
};

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view text = TrimBlanks(line);
    if (text.size() < 2 || text.front() != '[' || text.back() != ']') return std::nullopt;
    return TrimBlanks(text.substr(1, text.size() - 2));
}

struct KeyLine {
    std::string_view key;
    std::size_t valueStart;  // index just after the "="
};

std::optional<KeyLine> ParseKey(std::string_view line) {
    const auto first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos || line[first] == ';' || line[first] == '#' || line[first] == '[') {
        return std::nullopt;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return KeyLine{key, equals + 1};
}

bool IsBlank(std::string_view line) {
    return TrimBlanks(line).empty();
}

// Reads the whole file. Answers the file's permission bits, or nothing when there is no file.
std::optional<mode_t> Load(const fs::path& file, Document& document) {
    // O_NONBLOCK: a FIFO put in the file's place must be reported, not waited on.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.IsOpen()) {
        if (PosixError::IsNotFound(errno)) return std::nullopt;
        throw PosixError::ForPath(file.string(), errno);
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) throw PosixError::ForPath(file.string(), errno);
    if (S_ISDIR(st.st_mode)) throw PosixError::ForPath(file.string(), EISDIR);
    if (!S_ISREG(st.st_mode)) throw PosixError::ForPath(file.string(), "通常のファイルではありません");
    if (const int error = fd.MakeBlocking()) throw PosixError::ForPath(file.string(), error);

    std::string content;
    if (const int error = posix::ReadAll(fd.Get(), content)) throw PosixError::ForPath(file.string(), error);

    std::string_view rest(content);
    if (rest.starts_with(kByteOrderMark)) {
        document.byteOrderMark = true;
        rest.remove_prefix(kByteOrderMark.size());
    }
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        // A file edited on Windows ends its lines with CR LF; the CR is not part of the value.
        const bool crlf = end != std::string_view::npos && line.ends_with('\r');
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (document.lines.empty() && crlf) document.lineEnd = "\r\n";
        // A last line without an end gets the file's when the file is rewritten.
        const std::string_view lineEnd = end == std::string_view::npos ? document.lineEnd
                                         : crlf                        ? std::string_view("\r\n")
                                                                       : std::string_view("\n");
        document.lines.push_back(Line{std::string(line), lineEnd});
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return st.st_mode & 0777;
}

std::string Serialize(const Document& document) {
    std::string out(document.byteOrderMark ? kByteOrderMark : std::string_view{});
    for (const Line& line : document.lines) {
        out += line.text;
        out += line.end;
    }
    return out;
}

struct Location {
    std::optional<std::size_t> keyLine;     // the first line that holds the key
    std::optional<std::size_t> sectionEnd;  // just after the header or last key of the section's first block
};

Location Find(const Document& document, std::string_view section, std::string_view key) {
    Location location;
    bool inSection = false;
    bool inFirstBlock = false;
    for (std::size_t i = 0; i < document.lines.size(); ++i) {
        const std::string& line = document.lines[i].text;
        if (const auto name = SectionName(line)) {
            inSection = SameName(*name, section);
            inFirstBlock = inSection && !location.sectionEnd;
            if (inFirstBlock) location.sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        const auto parsed = ParseKey(line);
        if (!parsed) continue;
        if (SameName(parsed->key, key)) {
            location.keyLine = i;
            return location;
        }
        if (inFirstBlock) location.sectionEnd = i + 1;
    }
    return location;
}

// Creates the folder and any missing parents, private to the user as the XDG rules ask.
void MakeFolders(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return;
    if (errno != ENOENT || folder.parent_path() == folder) throw PosixError::ForPath(folder.string(), errno);
    MakeFolders(folder.parent_path());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw PosixError::ForPath(folder.string(), errno);
}

// A settings file that is a symbolic link (kept in a dotfiles repository, say) stays a link: the
// file it points at is the one replaced.
fs::path Resolve(const fs::path& file) {
    struct stat st {};
    if (::lstat(file.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(file.c_str(), nullptr)) {
            fs::path resolved(real);
            std::free(real);
            return resolved;
        }
    }
    return file;
}

fs::path ConfigHome() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* entry = ::getpwuid(::getuid());
        home = entry ? entry->pw_dir : nullptr;
    }
    if (!home || !*home) throw PlatformError("設定の保存先が分かりません: HOME が設定されていません");
    return fs::path(home) / ".config";
}

// Changes one key of the document as read; answers whether anything changed.
bool Set(Document& document, const std::string& section, const std::string& key, const std::string& value) {
    const Location location = Find(document, section, key);
    const std::string encoded = IniValue::Encode(value);
    if (location.keyLine) {
        std::string& line = document.lines[*location.keyLine].text;
        const std::size_t valueStart = ParseKey(line)->valueStart;
        if (IniValue::Decode(std::string_view(line).substr(valueStart)) == value) return false;
        line.replace(valueStart, std::string::npos, encoded);
    } else if (location.sectionEnd) {
        document.lines.insert(document.lines.begin() + static_cast<std::ptrdiff_t>(*location.sectionEnd),
                              Line{key + "=" + encoded, document.lineEnd});
    } else {
        if (!document.lines.empty() && !IsBlank(document.lines.back().text)) {
            document.lines.push_back(Line{{}, document.lineEnd});
        }
        document.lines.push_back(Line{"[" + section + "]", document.lineEnd});
        document.lines.push_back(Line{key + "=" + encoded, document.lineEnd});
    }
    return true;
}

}  // namespace

SettingsFile::SettingsFile(std::filesystem::path file) : m_file(std::move(file)) {}

std::filesystem::path SettingsFile::LocationFor(const std::string& app) {
    SettingsNames::CheckApplication(app);
    return ConfigHome() / app / (app + ".conf");
}

std::string SettingsFile::Read(const std::string& section, const std::string& key,
                               const std::string& defaultValue) const {
    NulByte::Refuse(m_file.native());
    Document document;
    if (!Load(m_file, document)) return defaultValue;
    const Location location = Find(document, section, key);
    if (!location.keyLine) return defaultValue;
    const std::string& line = document.lines[*location.keyLine].text;
    return IniValue::Decode(std::string_view(line).substr(ParseKey(line)->valueStart));
}

void SettingsFile::Write(const std::string& section, const std::string& key, const std::string& value) {
    Write(section, {{key, value}});
}

void SettingsFile::Write(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) {
        if (const std::string refusal = SettingsNames::Refusal(section, key); !refusal.empty()) {
            throw PosixError::ForPath(m_file.string(), refusal);
        }
    }
    NulByte::Refuse(m_file.native());
    const fs::path target = Resolve(m_file);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    MakeFolders(folder);
    FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.IsOpen()) throw PosixError::ForPath(folder.string(), errno);
    // The lock is on the folder, not on the file: the file is replaced by a rename, and a lock on
    // the replaced file would not stop a second writer that opened the new one. Where the file
    // system has no locks (some network homes) the write goes on unlocked rather than failing.
    int locked = 0;
    while ((locked = ::flock(folderFd.Get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked == 0) FileReplacement::RemoveRemnants(folderFd.Get(), target);

    Document document;
    const std::optional<mode_t> mode = Load(target, document);
    bool changed = false;
    for (const auto& [key, value] : values) changed = Set(document, section, key, value) || changed;
    if (!changed) return;
    FileReplacement::Replace(folderFd.Get(), target, Serialize(document), mode.value_or(0600));
}

}  // namespace quillmere
