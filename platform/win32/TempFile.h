// TempFile: a copy in progress under a hidden name beside its final name.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/Win32Handle.h"

namespace quillmere::SystemFiles {

// A copy in progress: a hidden file in the destination folder that becomes the final file only
// by Commit(). Until then it is removed again however the copy ends. It is held open without
// leave to share, so no other process can delete it while its writer lives: a later run's
// clean-up deletes only dead writers' leftovers.
class TempFile {
public:
    TempFile(const std::string& folder, const std::string& finalPath);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    HANDLE Get() const { return m_file.Get(); }
    DWORD Close() { return m_file.Close(); }

    // Moves the finished file over its final name. Answers 0 or the error of the move.
    DWORD Commit(const std::wstring& finalPath, bool overwrite);

private:
    FileHandle m_file;
    std::wstring m_path;
};

}  // namespace quillmere::SystemFiles
