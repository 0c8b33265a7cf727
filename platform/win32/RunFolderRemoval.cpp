// The Win32 removal of an old stamp folder. A reparse point (a junction, a symbolic link, a
// mounted volume's folder) is removed as the link it is and never entered, so nothing outside
// the stamp folder is touched.
#include <windows.h>

#include <string>

#include "platform/NulByte.h"
#include "platform/RunRecordFiles.h"
#include "platform/win32/FolderSearch.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"

namespace quillmere::RunRecordFiles {
namespace {

using win32::InFolder;

constexpr char kLockFile[] = "run.lock";

// The first failure of a removal that goes on past it, so the rest of the folder still frees its room.
struct Failure {
    std::string text;
    void Note(const std::string& path, DWORD error) {
        if (text.empty()) text = Win32Error::ForPath(path, error).what();
    }
};

bool IsLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A copy keeps its source's read-only attribute, which DeleteFileW refuses to pass over.
bool DeleteEntry(const std::wstring& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    }
    return ::DeleteFileW(path.c_str()) != 0;
}

// Removes what the folder holds (but skip, when given), depth first.
void Empty(const std::string& folder, Failure& failure, const char* skip = nullptr) {
    const std::string listing = InFolder(folder, "");
    win32::SearchResult found;
    try {
        found = win32::Search(win32::Split(listing), listing);
    } catch (const PlatformError& e) {
        if (failure.text.empty()) failure.text = e.what();
        return;
    }
    for (const win32::Entry& entry : found.entries) {
        if (skip && entry.name == skip) continue;
        const std::string path = InFolder(folder, entry.name);
        const std::wstring wide = LongPath::Exact(folder, entry.wideName);
        if (win32::IsFolder(entry.attributes)) {
            if (!IsLink(entry.attributes)) Empty(path, failure);
            if (!::RemoveDirectoryW(wide.c_str()) && failure.text.empty()) failure.Note(path, ::GetLastError());
        } else if (!DeleteEntry(wide, entry.attributes)) {
            failure.Note(path, ::GetLastError());
        }
    }
}

}  // namespace

std::string RemoveFolder(const std::string& destination, const std::string& stamp) {
    const std::string stampPath = InFolder(destination, stamp);
    NulByte::Refuse(stampPath);  // a NUL in the destination or the stamp alike
    const std::string recordPath = InFolder(stampPath, kFolder);
    const DWORD attributes = ::GetFileAttributesW(LongPath::Of(stampPath).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw Win32Error::ForPath(stampPath, ::GetLastError());
    if (!win32::IsFolder(attributes) || IsLink(attributes)) {
        throw Win32Error::ForPath(stampPath, ERROR_DIRECTORY);
    }
    const DWORD record = ::GetFileAttributesW(LongPath::Of(recordPath).c_str());
    if (record == INVALID_FILE_ATTRIBUTES || !win32::IsFolder(record) || IsLink(record)) {
        throw Win32Error::ForPath(stampPath, "実行の記録がありません");
    }
    // A live run holds its lock file open without leave to share. Opened here the same way, it
    // keeps any run from taking the record up until the removal ends, and goes when closed.
    const std::string lockPath = InFolder(recordPath, kLockFile);
    FileHandle lock(::CreateFileW(LongPath::Of(lockPath).c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!lock.IsValid()) {
        const DWORD error = ::GetLastError();
        if (!Win32Error::IsNotFound(error)) throw Win32Error::ForPath(stampPath, "この実行はまだ終わっていません");
    }
    Failure failure;
    Empty(stampPath, failure, kFolder);
    if (!failure.text.empty()) return failure.text;
    (void)lock.Close();
    // The record itself goes last of all that the record folder holds.
    Empty(recordPath, failure, kFile);
    const std::string filePath = InFolder(recordPath, kFile);
    if (failure.text.empty() && !::DeleteFileW(LongPath::Of(filePath).c_str())) {
        if (const DWORD error = ::GetLastError(); !Win32Error::IsNotFound(error)) failure.Note(filePath, error);
    }
    if (failure.text.empty() && !::RemoveDirectoryW(LongPath::Of(recordPath).c_str())) {
        failure.Note(recordPath, ::GetLastError());
    }
    if (failure.text.empty() && !::RemoveDirectoryW(LongPath::Of(stampPath).c_str())) {
        failure.Note(stampPath, ::GetLastError());
    }
    return failure.text;
}

}  // namespace quillmere::RunRecordFiles
