// The Win32 search and folder creation, and the removal of leftover copies. The copy engine is
// in CopyMatching.cpp, the search of one folder in FolderSearch.cpp, the clock in LocalClock.cpp.
#include "platform/SystemFilesNative.h"

#include <windows.h>

#include <vector>

#include "platform/NulByte.h"
#include "platform/Wildcard.h"
#include "platform/win32/CopyDestination.h"
#include "platform/win32/FolderSearch.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"

namespace quillmere::SystemFiles {

using namespace quillmere::win32;

std::string Native::FindFirstEntry(const std::string& pattern, bool withFolders) {
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

void CheckListable(const std::string& folder) {
    NulByte::Refuse(folder);
    WIN32_FIND_DATAW data{};
    FindHandle find(::FindFirstFileExW(LongPath::Of(InFolder(folder, ""), L"*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!find.IsValid()) throw Win32Error::ForPath(folder, ::GetLastError());
}

void CreateFolder(const std::string& path) {
    NulByte::Refuse(path);
    if (!::CreateDirectoryW(LongPath::Of(path).c_str(), nullptr)) throw Win32Error::ForPath(path, ::GetLastError());
}

namespace {

bool IsPlainFolder(const Entry& entry) {
    return IsFolder(entry.attributes) && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Deletes a dead writer's temporary file. A temporary file is held open without leave to share by
// the process that writes it, so the system refuses to open it for deletion while that process
// lives: an open that succeeds proves the file a dead writer's leftover, and the handle keeps it
// so. A copy of a read-only source takes the attribute before it is named, and a read-only file
// cannot be deleted; the attribute is cleared through the same handle, on this file alone.
void DeleteDeadTempFile(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.IsValid()) return;
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        FILE_BASIC_INFO writable{};
        writable.FileAttributes = (basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        ::SetFileInformationByHandle(file.Get(), FileBasicInfo, &writable, sizeof writable);
    }
    FILE_DISPOSITION_INFO dispose{TRUE};
    ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &dispose, sizeof dispose);
}

// The leftovers in one work folder: only names this program gives its temporary files, then the
// folder itself once empty. A live run holds its work folder open, so that removal fails for it.
void EmptyWorkFolder(const std::string& workFolder) {
    const std::string tempPattern = workFolder + "\\.quillmere-*.tmp";
    for (const Entry& file : Search(Split(tempPattern), tempPattern).entries) {
        if (IsFolder(file.attributes) || file.wideName.size() != std::wstring_view(L".quillmere-12345678.tmp").size()) {
            continue;
        }
        DeleteDeadTempFile(LongPath::Exact(workFolder, file.wideName));
    }
    ::RemoveDirectoryW(LongPath::Of(workFolder).c_str());
}

}  // namespace

// A backup copies only files, never folders, so a folder in a stamp folder named as a work folder
// can only be this program's own; a file there under a temporary file's name may be a copy of a
// source file so named, and is never touched.
void RemoveLeftoverCopies(const std::string& folderPattern) {
    const PatternParts parts = Split(folderPattern);
    if (parts.last.empty()) return;
    try {
        std::vector<Entry> folders = Search(parts, folderPattern).entries;
        std::erase_if(folders, [](const Entry& entry) { return !IsPlainFolder(entry); });
        if (folders.size() > kLeftoverFoldersRead) folders.erase(folders.begin(), folders.end() - kLeftoverFoldersRead);
        const std::size_t workNameSize = std::wstring_view(kWorkFolderPrefix).size() + 8;
        for (const Entry& folder : folders) {
            const std::string stampFolder = parts.prefix + folder.name;
            const std::string workPattern = stampFolder + "\\.quillmere-work-*";
            for (const Entry& work : Search(Split(workPattern), workPattern).entries) {
                if (!IsPlainFolder(work) || work.wideName.size() != workNameSize) continue;
                try {
                    EmptyWorkFolder(stampFolder + "\\" + work.name);
                } catch (const PlatformError&) {
                    // A work folder that cannot be searched keeps its leftovers; the others are still looked at.
                }
            }
        }
    } catch (const PlatformError&) {
        // Housekeeping only: a folder that cannot be searched keeps its leftovers.
    }
}

}  // namespace quillmere::SystemFiles
