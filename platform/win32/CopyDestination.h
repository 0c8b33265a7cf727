// CopyDestination: the folder one run copies into, its work folder for the copies in progress,
// and the rule that a copy never replaces another copy of the same run.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>

#include "platform/win32/Win32Handle.h"

namespace quillmere::win32 {

class TempFile;

// The name every work folder starts with; eight random hexadecimal digits follow.
inline constexpr wchar_t kWorkFolderPrefix[] = L".quillmere-work-";

// The destination folder, opened as itself (a reparse point there is refused) and held open until
// the run ends, so it cannot be moved away and a link put in its place half-way.
//
// Copies in progress are written in a hidden work folder of the run inside it, made on first
// need and removed when the run ends however it ends. A backup copies only files, so a folder
// there can only be this program's own: the clean-up of killed runs looks only inside such
// folders and never touches a source file that happens to carry a temporary file's name.
//
// A finished copy is moved to its final name without replacing, unless the name already reaches
// a file: one that stood there before (or that another writer put there) is replaced; a copy of
// this same run is never replaced, since the destination then takes two source names for one
// ("A.jra" and "a.jra"), and the second file is refused naming both.
class CopyDestination {
public:
    explicit CopyDestination(const std::string& folder);
    CopyDestination(const CopyDestination&) = delete;
    CopyDestination& operator=(const CopyDestination&) = delete;
    ~CopyDestination();

    const std::string& Folder() const { return m_folder; }
    // The full "\\?\" path of the work folder, made on first need; finalPath for failure texts.
    const std::wstring& WorkFolder(const std::string& finalPath);
    // Gives a finished, closed copy its final name. sourcePath names the source file in the
    // failure of a clash.
    void Place(TempFile& copy, const std::wstring& wideName, const std::string& name, const std::string& sourcePath,
               bool overwrite);

private:
    std::string m_folder;
    FileHandle m_handle;
    std::wstring m_work;
    FileHandle m_workHandle;
    std::unordered_map<ULONGLONG, std::string> m_placed;  // file number -> name of this run's copies
};

}  // namespace quillmere::win32
