// FolderSearch: one folder searched with the system's own wildcard matching, on the
// wide-character API. Shared by the search for a first entry, the copy engine and the removal of
// leftover copies. Names stay UTF-16 from the search to the copy; UTF-8 is made for the caller's
// answers and the failure texts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillmere::win32 {

struct PatternParts {
    std::string folder;  // for failure texts: without its separator unless it is a root; "." when none
    std::string prefix;  // everything up to and including the last separator; "" when there is none
    std::string last;    // empty when the pattern ends in a separator
};

// "/" separates as well as "\": the Win32 API takes both, and a path pasted from elsewhere may hold it.
PatternParts Split(const std::string& pattern);

std::string InFolder(const std::string& folder, const std::string& name);

inline constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

inline bool IsFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

struct Entry {
    std::wstring wideName;  // the name the file system holds, used for every further call
    std::string name;
    DWORD attributes;
    ULONGLONG size;  // as the search saw it; only for progress
};

struct SearchResult {
    std::vector<Entry> entries;  // in name order
    DWORD notFound = 0;          // why nothing was found, when the system said so
};

// Every entry the system's own search finds for the pattern, "." and ".." left out. A pattern
// ending in the separator lists the folder: the system itself finds nothing for it. Throws
// naming the pattern when the search itself fails.
SearchResult Search(const PatternParts& parts, const std::string& pattern);

}  // namespace quillmere::win32
