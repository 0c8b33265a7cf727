// The Win32 record folder: hidden by its attribute; a lock file that the live run holds open
// without leave to share tells it from a dead one.
#include "platform/RunRecordFiles.h"

#include <windows.h>

#include <map>
#include <mutex>

#include "platform/NulByte.h"
#include "platform/win32/FolderSearch.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"

namespace quillmere::RunRecordFiles {
namespace {

using win32::InFolder;

constexpr char kLockFile[] = "run.lock";
constexpr char kNewFile[] = "run.ini.new";
constexpr LONGLONG kLargestRecord = 1 << 20;

// The lock files of this process's live runs, held open until the run's last write. The system
// closes them with the process however it ends: a "running" record whose lock file opens was
// left by a run that was killed.
std::mutex g_heldMutex;
std::map<std::string, FileHandle> g_held;

}  // namespace

void Write(const std::string& stampFolder, const std::string& text, bool live) {
    NulByte::Refuse(stampFolder);
    const std::lock_guard guard(g_heldMutex);
    // The run's last write lets the lock go even when it fails: the record then still says
    // "running", and a listing rightly calls that run one that did not end its record.
    const LetGoUnlessLive<decltype(g_held)> letGo{g_held, stampFolder, live};
    const std::string folderPath = InFolder(stampFolder, kFolder);
    const std::string path = InFolder(folderPath, kFile);
    const std::wstring folder = LongPath::Of(folderPath);
    if (::CreateDirectoryW(folder.c_str(), nullptr)) {
        // Hidden as a name with a leading "." is on other systems; a folder left visible is no
        // failure of the record.
        ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    } else if (const DWORD error = ::GetLastError(); error != ERROR_ALREADY_EXISTS) {
        throw Win32Error::ForPath(folderPath, error);
    }

    if (live && !g_held.contains(stampFolder)) {
        const std::string lockPath = InFolder(folderPath, kLockFile);
        FileHandle lock(::CreateFileW(LongPath::Of(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!lock.IsValid()) throw Win32Error::ForPath(lockPath, ::GetLastError());
        g_held.emplace(stampFolder, std::move(lock));
    }

    // Written whole under another name, flushed, then moved over the record with the move itself
    // written through, so either the old or the new record is there at every moment.
    const std::wstring newFile = LongPath::Of(InFolder(folderPath, kNewFile));
    FileHandle file(
        ::CreateFileW(newFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) throw Win32Error::ForPath(path, ::GetLastError());
    DWORD error = 0;
    DWORD written = 0;
    if (!::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !::FlushFileBuffers(file.Get())) {
        error = ::GetLastError();
    }
    if (const DWORD closeError = file.Close(); error == 0) error = closeError;
    if (error == 0 && !::MoveFileExW(newFile.c_str(), LongPath::Of(path).c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
    }
    if (error != 0) {
        ::DeleteFileW(newFile.c_str());
        throw Win32Error::ForPath(path, error);
    }
}

std::optional<StoredRunRecord> Read(const std::string& stampFolder) {
    NulByte::Refuse(stampFolder);
    const std::string folderPath = InFolder(stampFolder, kFolder);
    const std::string path = InFolder(folderPath, kFile);
    FileHandle file(::CreateFileW(LongPath::Of(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        const DWORD error = ::GetLastError();
        if (Win32Error::IsNotFound(error)) return std::nullopt;
        throw Win32Error::ForPath(path, error);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) throw Win32Error::ForPath(path, ::GetLastError());
    if (size.QuadPart > kLargestRecord) {
        throw Win32Error::ForPath(path, "この記録はこのプログラムが書いたものではありません");
    }
    StoredRunRecord record;
    record.text.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!record.text.empty() &&
        !::ReadFile(file.Get(), record.text.data(), static_cast<DWORD>(record.text.size()), &read, nullptr)) {
        throw Win32Error::ForPath(path, ::GetLastError());
    }
    record.text.resize(read);

    const FileHandle lock(::CreateFileW(LongPath::Of(InFolder(folderPath, kLockFile)).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lock.IsValid()) {
        const DWORD error = ::GetLastError();
        record.live = !Win32Error::IsNotFound(error);
    }
    return record;
}

std::vector<std::string> ListFolders(const std::string& folder) {
    NulByte::Refuse(folder);
    const DWORD attributes = ::GetFileAttributesW(LongPath::Of(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw Win32Error::ForPath(folder, ::GetLastError());
    if (!win32::IsFolder(attributes)) throw Win32Error::ForPath(folder, ERROR_DIRECTORY);
    const std::string listing = InFolder(folder, "");
    std::vector<std::string> names;
    for (const win32::Entry& entry : win32::Search(win32::Split(listing), listing).entries) {
        if (win32::IsFolder(entry.attributes) && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            names.push_back(entry.name);
        }
    }
    return names;
}

FolderSpace SpaceOf(const std::string& folder) {
    NulByte::Refuse(folder);
    const std::string listing = InFolder(folder, "");
    FolderSpace space;
    for (const win32::Entry& entry : win32::Search(win32::Split(listing), listing).entries) {
        if (win32::IsFolder(entry.attributes) || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
        const std::string path = InFolder(folder, entry.name);
        // Only the link count is read: no access to the data is asked for.
        const FileHandle file(::CreateFileW(LongPath::Of(path).c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!file.IsValid() || !::GetFileInformationByHandle(file.Get(), &info)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) continue;  // removed since it was listed
            throw Win32Error::ForPath(path, error);
        }
        const ULONGLONG size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        (info.nNumberOfLinks > 1 ? space.shared : space.own) += size;
    }
    return space;
}

}  // namespace quillmere::RunRecordFiles
