#include "platform/win32/TempFile.h"

#include <cwchar>
#include <random>

#include "platform/win32/LongPath.h"
#include "platform/win32/Win32Error.h"

namespace quillmere::SystemFiles {

TempFile::TempFile(const std::string& folder, const std::string& finalPath) {
    static std::mt19937 random{std::random_device{}() ^ static_cast<unsigned>(::GetCurrentProcessId())};
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
        wchar_t name[32];
        std::swprintf(name, 32, L".quillmere-%08x.tmp", static_cast<unsigned>(random()));
        const std::wstring path = LongPath::Of(folder, name);
        m_file = FileHandle(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (m_file.IsValid()) {
            m_path = path;
            return;
        }
        error = ::GetLastError();
    }
    throw Win32Error::ForPath(finalPath, error);
}

TempFile::~TempFile() {
    if (m_path.empty()) return;
    m_file.Close();
    // The source's read-only attribute may have been given to it already.
    ::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(m_path.c_str());
}

DWORD TempFile::Commit(const std::wstring& finalPath, bool overwrite) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!::MoveFileExW(m_path.c_str(), finalPath.c_str(), flags)) return ::GetLastError();
    m_path.clear();
    return 0;
}

}  // namespace quillmere::SystemFiles
