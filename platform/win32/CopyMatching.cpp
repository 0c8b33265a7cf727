// The Win32 copy engine: every matching file copied under a temporary name in the run's work
// folder and moved to its final name only when it is whole and durable, on the wide-character
// API. Every source and target is opened by its full "\\?\" path, so the name the search found is
// exactly the name read and written.
#include "platform/SystemFilesNative.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/ChangingFile.h"
#include "platform/CopyTracker.h"
#include "platform/win32/CopyDestination.h"
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

struct CopyRun {
    const PatternParts& parts;
    CopyDestination& destination;
    bool overwrite;
    std::vector<char> buffer;
    CopyTracker& progress;
    std::optional<ChangingFile::TimeGrain> grain;  // of the source's volume, found with the first file
    std::string earlier;                           // the earlier backup whose unchanged copies are linked; "" for none
    bool mayLink = true;                           // until the volume refuses a link (FAT, exFAT)
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

// The attributes a copy takes over from its source, as the system's own copy does. Archive is
// set anew: the copy has not been backed up yet.
DWORD CopiedAttributes(DWORD source) {
    return (source & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)) |
           FILE_ATTRIBUTE_ARCHIVE;
}

// How finely the source's volume keeps times. NTFS and ReFS keep them to 100 ns. FAT keeps the
// last write to 2 s; exFAT to 10 ms by its format, yet some of its drivers to whole seconds; a
// network share keeps whatever its server's disk keeps, whatever name it gives. These, and a
// volume that does not say, are taken at the coarsest.
ChangingFile::TimeGrain TimeGrainOf(HANDLE file) {
    using ChangingFile::kCoarse;
    FILE_REMOTE_PROTOCOL_INFO remote{};
    if (::GetFileInformationByHandleEx(file, FileRemoteProtocolInfo, &remote, sizeof remote)) return kCoarse;
    // The serial number is asked for too: Wine names every file system it does not know "NTFS",
    // yet cannot tell the serial number of some (FUSE, tmpfs), and such a volume stays unknown.
    wchar_t name[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (!::GetVolumeInformationByHandleW(file, nullptr, 0, &serial, nullptr, nullptr, name, MAX_PATH + 1)) {
        return kCoarse;
    }
    const std::wstring_view fileSystem(name);
    return fileSystem == L"NTFS" || fileSystem == L"ReFS" ? ChangingFile::TimeGrain{0} : kCoarse;
}

std::int64_t UnixNs(LONGLONG fileTime) {
    constexpr LONGLONG kUnixEpoch = 116'444'736'000'000'000;  // 1970-01-01 in 100 ns units since 1601
    return (fileTime - kUnixEpoch) * 100;
}

// The latest of the file's last write and change times (a file system that keeps no change time
// answers zero for it).
std::int64_t ChangedNs(const FILE_BASIC_INFO& basic) {
    return UnixNs(std::max(basic.LastWriteTime.QuadPart, basic.ChangeTime.QuadPart));
}

FILE_BASIC_INFO BasicInfo(HANDLE file, const std::string& path) {
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
        throw Win32Error::ForPath(path, ::GetLastError());
    }
    return basic;
}

// The errors of CreateHardLinkW that say the volume cannot link that file at all: another volume,
// one without links (FAT, exFAT), or a file with as many links as the volume allows.
bool IsLinkUnsupported(DWORD error) {
    return error == ERROR_NOT_SAME_DEVICE || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_TOO_MANY_LINKS || error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_PARAMETER;
}

// Links the file's copy in the earlier backup under its name, when that copy can stand for the
// source: a file (no reparse point) of the same size, last write time and copied attributes,
// not read-only (a link shares its attributes, and a read-only link could not be removed again
// should the naming fail). Answers false where it cannot, and the file is then copied.
bool TryLinkUnchanged(CopyRun& run, const Entry& entry, const BY_HANDLE_FILE_INFORMATION& source,
                      const CopyPaths& paths) {
    const std::wstring earlierPath = LongPath::Exact(run.earlier, entry.wideName);
    BY_HANDLE_FILE_INFORMATION copy{};
    {
        const FileHandle earlier(::CreateFileW(earlierPath.c_str(), FILE_READ_ATTRIBUTES,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!earlier.IsValid() || !::GetFileInformationByHandle(earlier.Get(), &copy)) return false;
    }
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY |
                            FILE_ATTRIBUTE_REPARSE_POINT;
    if (SizeOf(copy) != SizeOf(source) || ::CompareFileTime(&copy.ftLastWriteTime, &source.ftLastWriteTime) != 0 ||
        (copy.dwFileAttributes & kKept) != CopiedAttributes(source.dwFileAttributes) ||
        (copy.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    TempFile link(run.destination.WorkFolder(paths.target), earlierPath);
    if (const DWORD error = link.LinkError()) {
        if (IsLinkUnsupported(error)) run.mayLink = false;
        return false;
    }
    run.destination.Place(link, entry.wideName, entry.name, paths.source, run.overwrite);
    run.progress.Moved(SizeOf(source));
    return true;
}

// One try at copying the file. Answers false, leaving no file behind, when it changed while it
// was read or may still be changing.
bool TryCopyOne(CopyRun& run, const Entry& entry) {
    const CopyPaths paths{run.parts.prefix + entry.name, InFolder(run.destination.Folder(), entry.name)};

    // Others may keep the file open, even for writing (the program that owns the data files);
    // a change made while it is read is caught below.
    FileHandle in(::CreateFileW(LongPath::Exact(run.parts.prefix, entry.wideName).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.IsValid()) throw Win32Error::ForPath(paths.source, ::GetLastError());
    if (!run.grain) run.grain = TimeGrainOf(in.Get());
    BY_HANDLE_FILE_INFORMATION before{};
    if (!::GetFileInformationByHandle(in.Get(), &before)) throw Win32Error::ForPath(paths.source, ::GetLastError());
    const FILE_BASIC_INFO timesBefore = BasicInfo(in.Get(), paths.source);
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const auto nowTime = static_cast<LONGLONG>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    // Where times are coarse, a rewrite within the same tick leaves them as they were; a file
    // changed within a tick of its copy may also still be taking in its last write's data.
    if (ChangingFile::TooRecent(ChangedNs(timesBefore), UnixNs(nowTime), *run.grain)) return false;
    if (!run.earlier.empty() && run.mayLink && TryLinkUnchanged(run, entry, before, paths)) return true;

    TempFile temp(run.destination.WorkFolder(paths.target), paths.target);
    ULONGLONG copied = 0;
    if (run.buffer.empty()) run.buffer.resize(std::size_t{1} << 20);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in.Get(), run.buffer.data(), static_cast<DWORD>(run.buffer.size()), &got, nullptr)) {
            throw Win32Error::ForPath(paths.source, ::GetLastError());
        }
        if (got == 0) break;
        WriteAll(temp.Get(), run.buffer.data(), got, paths);
        copied += got;
        // A stop here throws: the temporary file goes with it.
        run.progress.Moved(got);
    }

    // A file written to while it was read would give a copy that is neither its old nor its new
    // content; it is never kept under the final name.
    BY_HANDLE_FILE_INFORMATION after{};
    if (!::GetFileInformationByHandle(in.Get(), &after)) throw Win32Error::ForPath(paths.source, ::GetLastError());
    const FILE_BASIC_INFO timesAfter = BasicInfo(in.Get(), paths.source);
    if (copied != SizeOf(before) || SizeOf(after) != SizeOf(before) ||
        timesAfter.LastWriteTime.QuadPart != timesBefore.LastWriteTime.QuadPart ||
        timesAfter.ChangeTime.QuadPart != timesBefore.ChangeTime.QuadPart) {
        return false;
    }
    // The source must be closed before the copy can take its place when both are the same file.
    // It was only read: closing it can lose nothing.
    (void)in.Close();

    // The times are set after the last write, which would otherwise stamp its own.
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime = timesBefore.LastWriteTime;
    basic.FileAttributes = CopiedAttributes(before.dwFileAttributes);
    if (!::SetFileInformationByHandle(temp.Get(), FileBasicInfo, &basic, sizeof basic)) {
        throw Win32Error::ForPath(paths.target, ::GetLastError());
    }
    if (!::FlushFileBuffers(temp.Get())) throw Win32Error::ForPath(paths.target, ::GetLastError());
    if (const DWORD error = temp.Close()) throw Win32Error::ForPath(paths.target, error);
    run.destination.Place(temp, entry.wideName, entry.name, paths.source, run.overwrite);
    return true;
}

// A file caught changing (its program rewrites it from time to time) is tried again after a
// pause, opened anew by its name; only one that keeps changing is reported.
void CopyOne(CopyRun& run, const Entry& entry) {
    for (int attempt = 1; !TryCopyOne(run, entry); ++attempt) {
        if (attempt == ChangingFile::kTries) {
            throw Win32Error::ForPath(run.parts.prefix + entry.name, ChangingFile::kStillChanging);
        }
        // In short steps, so a stop asked for meanwhile is answered at once.
        constexpr std::int64_t kStepNs = 100'000'000;
        for (std::int64_t waited = 0; waited < ChangingFile::PauseNs(*run.grain); waited += kStepNs) {
            ::Sleep(static_cast<DWORD>(kStepNs / 1'000'000));
            run.progress.CheckStop();
        }
    }
}

}  // namespace

void Native::CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                          CopyMonitor& monitor, const std::string& earlierCopies) {
    const PatternParts parts = Split(sourcePattern);
    CopyDestination target(destination);

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

    CopyTracker progress(monitor, destination);
    CopyRun run{parts, target, overwrite, {}, progress, std::nullopt, earlierCopies, true};
    for (const Entry& entry : files) progress.Expect(entry.size);
    for (const Entry& entry : files) {
        progress.StartFile(entry.name);
        CopyOne(run, entry);
        progress.FileDone();
    }
    progress.Finish();
}

}  // namespace quillmere::SystemFiles
