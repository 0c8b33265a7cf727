// The Win32 copy engine: every matching file copied under a temporary name and renamed into
// place only when it is whole and durable, on the wide-character API.
#include "platform/SystemFilesNative.h"

#include <windows.h>

#include <vector>

#include "platform/CopyTracker.h"
#include "platform/win32/FolderSearch.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/TempFile.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"

namespace quillmere::SystemFiles {
namespace {

using namespace quillmere::win32;

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

// A write stamps the file's change time before its data lands, so a file changed a moment ago
// may still be taking in the last write's data, and a copy read meanwhile would be torn with no
// later change to show it. Such a file is treated as changing and tried again after the pause. A
// change time in the future (a clock set back) says nothing either way and does not hold the copy
// up; neither does a file system that keeps no change time (zero).
bool ChangedJustNow(HANDLE file) {
    constexpr LONGLONG kQuiet = 1'000'000;  // 0.1 s in 100 ns units
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) return false;
    if (basic.ChangeTime.QuadPart == 0) return false;
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const LONGLONG age =
        static_cast<LONGLONG>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) -
        basic.ChangeTime.QuadPart;
    return age >= 0 && age < kQuiet;
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
    if (ChangedJustNow(in.Get())) return false;

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

void Native::CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                          CopyMonitor& monitor) {
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

}  // namespace quillmere::SystemFiles
