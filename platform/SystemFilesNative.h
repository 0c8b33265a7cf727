// SystemFilesNative: each system's own half of the search and of the copy (posix/ or win32/).
// The checks that every system makes alike (an empty pattern, a NUL in a path) are made once, in
// platform/SystemFiles.cpp, before these are called.
// Only these entry points are in quillmere::SystemFiles; the classes and helpers each system
// builds them from are in quillmere::posix or quillmere::win32, named alike where they do the
// same work (TempFile); a module of free functions has a namespace of its own name (PosixError,
// LongPath); the owners of a descriptor or a handle, which the front ends use too, are in quillmere.
#pragma once

#include <string>

#include "platform/SystemFiles.h"

namespace quillmere::SystemFiles::Native {

// FindFirstEntry for a pattern that is not empty and holds no NUL.
std::string FindFirstEntry(const std::string& pattern, bool withFolders);

// CopyMatching for a pattern and a destination that hold no NUL.
void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                  CopyMonitor& monitor, const std::string& earlierCopies);

// FolderIdentity for a folder that holds no NUL.
std::string FolderIdentity(const std::string& folder);

}  // namespace quillmere::SystemFiles::Native
