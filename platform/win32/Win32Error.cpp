// The reason comes from FormatMessageW in the user's default language, so a Japanese Windows
// gives the system's Japanese text.
#include "platform/win32/Win32Error.h"

#include "platform/win32/WideText.h"

namespace quillmere::Win32Error {

std::string Reason(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) return "Windows エラー " + std::to_string(error);
    return WideText::Narrow(text);
}

bool IsNotFound(DWORD error) {
    // ERROR_DIRECTORY: a file where the path needs a folder ("a.jra\x") names nothing either.
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY;
}

PlatformError ForPath(const std::string& path, DWORD error) {
    return ForPath(path, Reason(error));
}

PlatformError ForPath(const std::string& path, const std::string& reason) {
    return PlatformError(path + ": " + reason);
}

}  // namespace quillmere::Win32Error
