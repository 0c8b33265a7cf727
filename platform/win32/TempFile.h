// TempFile: a copy in progress under a hidden name in the run's work folder.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/Win32Handle.h"

namespace quillmere::win32 {

// Eight random hexadecimal digits, for the names of temporary files and work folders.
std::wstring RandomHexDigits();

// A copy in progress: a hidden file in the run's work folder that becomes the final file only
// by Commit(). Until then it is removed again however the copy ends. It is held open without
// leave to share, so no other process can delete it while its writer lives: a later run's
// clean-up deletes only dead writers' leftovers.
class TempFile {
public:
    // workFolder: the full "\\?\" path of the work folder; finalPath: for failure texts.
    TempFile(const std::wstring& workFolder, const std::string& finalPath);
    // Another name in the work folder for the existing file at linkTo (a hard link, no handle held),
    // committed like a copy. LinkError() tells why there is none.
    TempFile(const std::wstring& workFolder, const std::wstring& linkTo);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    HANDLE Get() const { return m_file.Get(); }
    [[nodiscard]] DWORD Close() { return m_file.Close(); }
    DWORD LinkError() const { return m_linkError; }

    // Moves the closed, finished file to its final name, over a file there only when replace is
    // set. Answers 0 or the error of the move.
    [[nodiscard]] DWORD Commit(const std::wstring& finalPath, bool replace);

private:
    FileHandle m_file;
    std::wstring m_path;
    bool m_linked = false;
    DWORD m_linkError = 0;
};

}  // namespace quillmere::win32
