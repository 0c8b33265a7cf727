#include "platform/win32/FolderSearch.h"

#include <algorithm>

#include "platform/Wildcard.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"

namespace quillmere::win32 {

PatternParts Split(const std::string& pattern) {
    const auto separator = pattern.find_last_of("\\/");
    if (separator == std::string::npos) return {".", "", pattern};
    const bool root = separator == 0 || (separator == 2 && pattern[1] == ':');
    return {root ? pattern.substr(0, separator + 1) : pattern.substr(0, separator), pattern.substr(0, separator + 1),
            pattern.substr(separator + 1)};
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

SearchResult Search(const PatternParts& parts, const std::string& pattern) {
    const std::wstring last = parts.last.empty() ? L"*" : WideText::Widen(parts.last);
    WIN32_FIND_DATAW data{};
    // The standard level also answers the 8.3 short name, which the system matches as well.
    FindHandle find(::FindFirstFileExW(LongPath::Of(parts.prefix, last).c_str(), FindExInfoStandard, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    SearchResult result;
    if (!find.IsValid()) {
        DWORD error = ::GetLastError();
        // Wine calls a search below a file an invalid name, where Windows says the folder name is
        // invalid; either way the pattern names nothing. A name that is malformed stays an error.
        if (error == ERROR_INVALID_NAME && !parts.prefix.empty()) {
            const DWORD folder = ::GetFileAttributesW(LongPath::Of(parts.folder).c_str());
            if (folder != INVALID_FILE_ATTRIBUTES && !IsFolder(folder)) error = ERROR_DIRECTORY;
        }
        if (!Win32Error::IsNotFound(error) && error != ERROR_NO_MORE_FILES) throw Win32Error::ForPath(pattern, error);
        result.notFound = error;
        return result;
    }
    do {
        const std::wstring_view wide(data.cFileName);
        if (wide == L"." || wide == L"..") continue;
        std::string name = WideText::Narrow(wide);
        // "*.jra" would find "ZO01.JRAX" through its short name "ZO01~1.JRA", a name the user
        // never sees; a match only through the short name is no match.
        if (!parts.last.empty() && data.cAlternateFileName[0] != L'\0' && !Wildcard::Matches(parts.last, name) &&
            Wildcard::Matches(parts.last, WideText::Narrow(data.cAlternateFileName))) {
            continue;
        }
        const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        result.entries.push_back({std::wstring(wide), std::move(name), data.dwFileAttributes, size});
    } while (::FindNextFileW(find.Get(), &data));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) throw Win32Error::ForPath(pattern, error);
    std::sort(result.entries.begin(), result.entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return result;
}

}  // namespace quillmere::win32
