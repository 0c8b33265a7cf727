// The Win32 system operations: directory search with the system's own wildcard matching, folder
// creation, the never-torn file copy and the local clock, all on the wide-character API. Paths
// and names stay UTF-16 from the search to the copy; UTF-8 is made only for the caller's answers
// and the failure texts.
#include "platform/SystemFiles.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/CopyTracker.h"
#include "platform/NulByte.h"
#include "platform/Wildcard.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/TempFile.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"

// <windows.h> renames CopyFile to CopyFileW; the program's own operation keeps its name.
#undef CopyFile

namespace quillmere::SystemFiles {
namespace {

struct PatternParts {
    std::string folder;  // for failure texts: without its separator unless it is a root; "." when none
    std::string prefix;  // everything up to and including the last separator; "" when there is none
    std::string last;    // empty when the pattern ends in a separator
};

// "/" separates as well as "\": the Win32 API takes both, and a path pasted from elsewhere may hold it.
PatternParts Split(const std::string& pattern) {
    const auto separator = pattern.find_last_of("\\/");
    if (separator == std::string::npos) return {".", "", pattern};
    const bool root = separator == 0 || (separator == 2 && pattern[1] == ':');
    return {root ? pattern.substr(0, separator + 1) : pattern.substr(0, separator), pattern.substr(0, separator + 1),
            pattern.substr(separator + 1)};
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool IsFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

struct Entry {
    std::wstring wideName;  // the name the file system holds, used for every further call
    std::string name;
    DWORD attributes;
    ULONGLONG size;  // as the search saw it; only for progress
};

struct SearchResult {
    std::vector<Entry> entries;  // in name order
    DWORD notFound = 0;          // why nothing was found, when the system said so
};

// Every entry the system's own search finds for the pattern, "." and ".." left out. A pattern
// ending in the separator lists the folder: the system itself finds nothing for it.
SearchResult Search(const PatternParts& parts, const std::string& pattern) {
    const std::wstring last = parts.last.empty() ? L"*" : WideText::Widen(parts.last);
    WIN32_FIND_DATAW data{};
    // The standard level also answers the 8.3 short name, which the system matches as well.
    FindHandle find(::FindFirstFileExW(LongPath::Of(parts.prefix, last).c_str(), FindExInfoStandard, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    SearchResult result;
    if (!find.IsValid()) {
        DWORD error = ::GetLastError();
        // Wine calls a search below a file an invalid name, where Windows says the folder name is
        // invalid; either way the pattern names nothing. A name that is malformed stays an error.
        if (error == ERROR_INVALID_NAME && !parts.prefix.empty()) {
            const DWORD folder = ::GetFileAttributesW(LongPath::Of(parts.folder).c_str());
            if (folder != INVALID_FILE_ATTRIBUTES && !IsFolder(folder)) error = ERROR_DIRECTORY;
        }
        if (!Win32Error::IsNotFound(error) && error != ERROR_NO_MORE_FILES) throw Win32Error::ForPath(pattern, error);
        result.notFound = error;
        return result;
    }
    do {
        const std::wstring_view wide(data.cFileName);
        if (wide == L"." || wide == L"..") continue;
        std::string name = WideText::Narrow(wide);
        // "*.jra" would find "ZO01.JRAX" through its short name "ZO01~1.JRA", a name the user
        // never sees; a match only through the short name is no match.
        if (!parts.last.empty() && data.cAlternateFileName[0] != L'\0' && !Wildcard::Matches(parts.last, name) &&
            Wildcard::Matches(parts.last, WideText::Narrow(data.cAlternateFileName))) {
            continue;
        }
        const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        result.entries.push_back({std::wstring(wide), std::move(name), data.dwFileAttributes, size});
    } while (::FindNextFileW(find.Get(), &data));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) throw Win32Error::ForPath(pattern, error);
    std::sort(result.entries.begin(), result.entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return result;
}

struct CopyPaths {
    std::string source;
    std::string target;
};

void WriteAll(HANDLE out, const char* data, DWORD size, const CopyPaths& paths) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(out, data, size, &written, nullptr)) throw Win32Error::ForPath(paths.target, ::GetLastError());
        // A write that moves nothing cannot go on; it must never be taken for progress.
        if (written == 0) throw Win32Error::ForPath(paths.target, ERROR_DISK_FULL);
        data += written;
        size -= written;
    }
}

ULONGLONG SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The attributes a copy takes over from its source, as the system's own copy does. Archive is
// set anew: the copy has not been backed up yet.
DWORD CopiedAttributes(DWORD source) {
    return (source & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)) |
           FILE_ATTRIBUTE_ARCHIVE;
}

// One try at copying the file. Answers false, leaving no file behind, when it changed while it
// was read.
bool TryCopyOne(const PatternParts& parts, const Entry& entry, const std::string& destination, bool overwrite,
                std::vector<char>& buffer, CopyTracker& progress) {
    const CopyPaths paths{parts.prefix + entry.name, InFolder(destination, entry.name)};
    const std::wstring targetPath = LongPath::Of(destination, entry.wideName);

    // Others may keep the file open, even for writing (the program that owns the data files);
    // a change made while it is read is caught below.
    FileHandle in(::CreateFileW(LongPath::Of(parts.prefix, entry.wideName).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.IsValid()) throw Win32Error::ForPath(paths.source, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION before{};
    if (!::GetFileInformationByHandle(in.Get(), &before)) throw Win32Error::ForPath(paths.source, ::GetLastError());

    if (!overwrite && ::GetFileAttributesW(targetPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        throw Win32Error::ForPath(paths.target, ERROR_FILE_EXISTS);
    }

    TempFile temp(destination, paths.target);
    ULONGLONG copied = 0;
    if (buffer.empty()) buffer.resize(std::size_t{1} << 20);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            throw Win32Error::ForPath(paths.source, ::GetLastError());
        }
        if (got == 0) break;
        WriteAll(temp.Get(), buffer.data(), got, paths);
        copied += got;
        // A stop here throws: the temporary file goes with it.
        progress.Moved(got);
    }

    // A file written to while it was read would give a copy that is neither its old nor its new
    // content; it is never kept under the final name.
    BY_HANDLE_FILE_INFORMATION after{};
    if (!::GetFileInformationByHandle(in.Get(), &after)) throw Win32Error::ForPath(paths.source, ::GetLastError());
    if (copied != SizeOf(before) || SizeOf(after) != SizeOf(before) ||
        !SameTime(after.ftLastWriteTime, before.ftLastWriteTime)) {
        return false;
    }
    // The source must be closed before the copy can take its place when both are the same file.
    in.Close();

    // The times are set after the last write, which would otherwise stamp its own.
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.LowPart = before.ftLastWriteTime.dwLowDateTime;
    basic.LastWriteTime.HighPart = static_cast<LONG>(before.ftLastWriteTime.dwHighDateTime);
    basic.FileAttributes = CopiedAttributes(before.dwFileAttributes);
    if (!::SetFileInformationByHandle(temp.Get(), FileBasicInfo, &basic, sizeof basic)) {
        throw Win32Error::ForPath(paths.target, ::GetLastError());
    }
    if (!::FlushFileBuffers(temp.Get())) throw Win32Error::ForPath(paths.target, ::GetLastError());
    if (const DWORD error = temp.Close()) throw Win32Error::ForPath(paths.target, error);
    if (const DWORD error = temp.Commit(targetPath, overwrite)) throw Win32Error::ForPath(paths.target, error);
    return true;
}

// A file caught changing (its program rewrites it from time to time) is tried again after a
// short pause, opened anew by its name; only one that keeps changing is reported.
void CopyOne(const PatternParts& parts, const Entry& entry, const std::string& destination, bool overwrite,
             std::vector<char>& buffer, CopyTracker& progress) {
    constexpr int kTries = 4;
    for (int attempt = 1; !TryCopyOne(parts, entry, destination, overwrite, buffer, progress); ++attempt) {
        if (attempt == kTries) {
            throw Win32Error::ForPath(parts.prefix + entry.name, "コピー中にファイルが変更されました");
        }
        ::Sleep(200);
        progress.CheckStop();
    }
}

}  // namespace

std::string FindFirstEntry(const std::string& pattern, EntryAttributes attributes) {
    if (pattern.empty()) return {};
    NulByte::Refuse(pattern);
    const bool withFolders = attributes == EntryAttributes::Directory;
    const PatternParts parts = Split(pattern);

    if (!parts.last.empty() && !Wildcard::HasWildcards(parts.last)) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(LongPath::Of(pattern).c_str(), GetFileExInfoStandard, &data)) {
            const DWORD error = ::GetLastError();
            if (Win32Error::IsNotFound(error)) return {};
            throw Win32Error::ForPath(pattern, error);
        }
        // An exact name with the folder attribute is found even when hidden: a hidden folder
        // given as the destination exists, and creating it again could only fail.
        if (IsFolder(data.dwFileAttributes)) return withFolders ? parts.last : std::string();
        // The system drops a final "\." or "\.." before it looks, so "ZO01.JRA\." would find the
        // file; a file is no folder to name with them.
        if (parts.last == "." || parts.last == "..") return {};
        return withFolders || (data.dwFileAttributes & kHiddenOrSystem) == 0 ? parts.last : std::string();
    }

    for (const Entry& entry : Search(parts, pattern).entries) {
        if ((entry.attributes & kHiddenOrSystem) != 0) continue;
        if (!IsFolder(entry.attributes) || withFolders) return entry.name;
    }
    return {};
}

void CreateFolder(const std::string& path) {
    NulByte::Refuse(path);
    if (!::CreateDirectoryW(LongPath::Of(path).c_str(), nullptr)) throw Win32Error::ForPath(path, ::GetLastError());
}

void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                  CopyMonitor& monitor) {
    NulByte::Refuse(sourcePattern);
    NulByte::Refuse(destination);
    const PatternParts parts = Split(sourcePattern);

    // The destination is opened as itself, not as what a reparse point there (a junction or a
    // symbolic link planted at the predictable stamp name) leads to, and such a one is refused.
    // The handle stays open, without leave to delete, until the copy ends, so the folder cannot
    // be moved away and a reparse point put in its place half-way.
    FileHandle target(::CreateFileW(LongPath::Of(destination).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    constexpr char kReparsePoint[] = "リンク（リパースポイント）なので、その先には書き込みません";
    if (!target.IsValid()) {
        // Wine cannot open some links as themselves; their attributes still tell what they are.
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(LongPath::Of(destination).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            throw Win32Error::ForPath(destination, kReparsePoint);
        }
        throw Win32Error::ForPath(destination, error);
    }
    BY_HANDLE_FILE_INFORMATION targetInfo{};
    if (!::GetFileInformationByHandle(target.Get(), &targetInfo)) {
        throw Win32Error::ForPath(destination, ::GetLastError());
    }
    if ((targetInfo.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        throw Win32Error::ForPath(destination, kReparsePoint);
    }
    if (!IsFolder(targetInfo.dwFileAttributes)) throw Win32Error::ForPath(destination, ERROR_DIRECTORY);

    std::vector<Entry> files;
    DWORD notFound = ERROR_FILE_NOT_FOUND;
    if (!parts.last.empty()) {
        SearchResult found = Search(parts, sourcePattern);
        if (found.notFound != 0) notFound = found.notFound;
        for (Entry& entry : found.entries) {
            if (!IsFolder(entry.attributes)) files.push_back(std::move(entry));
        }
    }
    if (files.empty()) {
        if (notFound == ERROR_PATH_NOT_FOUND || notFound == ERROR_DIRECTORY) {
            throw Win32Error::ForPath(parts.folder, notFound);
        }
        throw Win32Error::ForPath(sourcePattern, ERROR_FILE_NOT_FOUND);
    }

    std::vector<char> buffer;
    CopyTracker progress(monitor, destination);
    for (const Entry& entry : files) progress.Expect(entry.size);
    for (const Entry& entry : files) {
        progress.StartFile(entry.name);
        CopyOne(parts, entry, destination, overwrite, buffer, progress);
        progress.FileDone();
    }
    progress.Finish();
}

// A temporary file is held open without leave to share by the process that writes it, so the
// system refuses to delete it while that process lives: a deletion that succeeds proves the file
// a dead writer's leftover.
void RemoveLeftoverCopies(const std::string& folderPattern) {
    const PatternParts parts = Split(folderPattern);
    if (parts.last.empty()) return;
    try {
        std::vector<Entry> folders = Search(parts, folderPattern).entries;
        std::erase_if(folders, [](const Entry& entry) {
            return !IsFolder(entry.attributes) || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        });
        if (folders.size() > kLeftoverFoldersRead) folders.erase(folders.begin(), folders.end() - kLeftoverFoldersRead);
        for (const Entry& folder : folders) {
            const std::string folderPath = parts.prefix + folder.name + "\\";
            const std::string tempPattern = folderPath + ".quillmere-*.tmp";
            for (const Entry& file : Search(Split(tempPattern), tempPattern).entries) {
                if (IsFolder(file.attributes) || file.wideName.size() != std::wstring_view(L".quillmere-12345678.tmp").size()) {
                    continue;
                }
                ::DeleteFileW(LongPath::Of(folderPath, file.wideName).c_str());
            }
        }
    } catch (const PlatformError&) {
        // Housekeeping only: a folder that cannot be searched keeps its leftovers.
    }
}

LocalTime CurrentLocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace quillmere::SystemFiles
