#include "platform/UserFolders.h"

#include <windows.h>

#include <string>

#include "platform/win32/WideText.h"

namespace quillmere::UserFolders {
namespace {

// A length-reporting call that answers the length needed (with its NUL) when the buffer is short.
template <typename Call>
std::string Read(Call call) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD length = call(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return {};
        if (length < buffer.size()) return WideText::Narrow(buffer.substr(0, length));
        buffer.resize(length);
    }
    return {};
}

}  // namespace

std::string Home() {
    return Read([](DWORD size, wchar_t* data) { return ::GetEnvironmentVariableW(L"USERPROFILE", data, size); });
}

std::string Working() {
    return Read([](DWORD size, wchar_t* data) { return ::GetCurrentDirectoryW(size, data); });
}

}  // namespace quillmere::UserFolders
