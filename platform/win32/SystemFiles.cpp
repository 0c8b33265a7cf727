// The Win32 search and folder creation, and the removal of leftover copies. The copy engine is
// in CopyMatching.cpp, the search of one folder in FolderSearch.cpp, the clock in LocalClock.cpp.
#include "platform/SystemFilesNative.h"

#include <windows.h>

#include <vector>

#include "platform/NulByte.h"
#include "platform/Wildcard.h"
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
                if (IsFolder(file.attributes) ||
                    file.wideName.size() != std::wstring_view(L".quillmere-12345678.tmp").size()) {
                    continue;
                }
                ::DeleteFileW(LongPath::Of(folderPath, file.wideName).c_str());
            }
        }
    } catch (const PlatformError&) {
        // Housekeeping only: a folder that cannot be searched keeps its leftovers.
    }
}

}  // namespace quillmere::SystemFiles
