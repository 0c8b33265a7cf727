#include "platform/win32/TempFile.h"

#include <cwchar>
#include <random>

#include "platform/win32/Win32Error.h"

namespace quillmere::win32 {

std::wstring RandomHexDigits() {
    static std::mt19937 random{std::random_device{}() ^ static_cast<unsigned>(::GetCurrentProcessId())};
    wchar_t digits[16];
    std::swprintf(digits, 16, L"%08x", static_cast<unsigned>(random()));
    return digits;
}

TempFile::TempFile(const std::wstring& workFolder, const std::string& finalPath) {
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
        const std::wstring path = workFolder + L"\\.quillmere-" + RandomHexDigits() + L".tmp";
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

TempFile::TempFile(const std::wstring& workFolder, const std::wstring& linkTo) : m_linked(true) {
    m_linkError = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && (m_linkError == ERROR_FILE_EXISTS || m_linkError == ERROR_ALREADY_EXISTS);
         ++attempt) {
        const std::wstring path = workFolder + L"\\.quillmere-" + RandomHexDigits() + L".tmp";
        if (::CreateHardLinkW(path.c_str(), linkTo.c_str(), nullptr)) {
            m_path = path;
            m_linkError = 0;
            return;
        }
        m_linkError = ::GetLastError();
    }
}

TempFile::~TempFile() {
    if (m_path.empty()) return;
    (void)m_file.Close();  // the copy is thrown away: its data no longer matters
    // The source's read-only attribute may have been given to it already. A link shares its
    // attributes with the earlier backup's file, which keeps them (only files without it are
    // linked).
    if (!m_linked) ::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(m_path.c_str());
}

DWORD TempFile::Commit(const std::wstring& finalPath, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!::MoveFileExW(m_path.c_str(), finalPath.c_str(), flags)) return ::GetLastError();
    m_path.clear();
    return 0;
}

}  // namespace quillmere::win32
