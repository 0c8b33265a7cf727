#include "platform/win32/LongPath.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace quillmere::LongPath {
namespace {

// CreateDirectoryW refuses paths of MAX_PATH - 12 characters and more (room for an 8.3 name).
constexpr std::size_t kShortLimit = MAX_PATH - 12;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(path.size() + MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path;  // the file function that follows reports what is wrong with it
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
    return path;
}

std::wstring Prefixed(std::wstring full) {
    if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return full;
    if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace

std::wstring Of(const std::string& path) {
    std::wstring wide = WideText::Widen(path);
    if (wide.starts_with(L"\\\\?\\")) {
        // The system takes such a path as it is, so "\." would be a name of its own; the program
        // names a folder itself so ("D:\backup\."), also when the folder was typed in this form.
        if (wide.ends_with(L"\\.")) wide.pop_back();
        return wide;
    }
    if (wide.size() < kShortLimit) return wide;
    return Prefixed(FullPath(wide));
}

std::wstring Of(const std::string& folder, const std::wstring& last) {
    std::wstring wide = WideText::Widen(folder);
    const bool needsSeparator = !wide.empty() && !IsSeparator(wide.back());
    if (wide.size() + last.size() + 1 < kShortLimit || wide.starts_with(L"\\\\?\\")) {
        return wide + (needsSeparator ? L"\\" : L"") + last;
    }
    std::wstring full = FullPath(wide.empty() ? L"." : wide);
    if (!full.empty() && !IsSeparator(full.back())) full += L'\\';
    return Prefixed(full) + last;
}

std::wstring Exact(const std::string& folder, const std::wstring& name) {
    const std::wstring wide = WideText::Widen(folder);
    std::wstring full = wide.starts_with(L"\\\\?\\") ? wide : Prefixed(FullPath(wide.empty() ? L"." : wide));
    if (!full.empty() && !IsSeparator(full.back())) full += L'\\';
    return full + name;
}

}  // namespace quillmere::LongPath
