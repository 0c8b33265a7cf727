// The checks of the search and of the copy that every system makes alike; the rest is each
// system's own (SystemFilesNative.h).
#include "platform/SystemFiles.h"

#include "platform/NulByte.h"
#include "platform/SystemFilesNative.h"

namespace quillmere::SystemFiles {

std::string FindFirstEntry(const std::string& pattern, EntryAttributes attributes) {
    if (pattern.empty()) return {};
    // The system would see only the text before a NUL: refused, never cut short.
    NulByte::Refuse(pattern);
    return Native::FindFirstEntry(pattern, attributes == EntryAttributes::Directory);
}

void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                  CopyMonitor& monitor, const std::string& earlierCopies) {
    NulByte::Refuse(sourcePattern);
    NulByte::Refuse(destination);
    NulByte::Refuse(earlierCopies);
    Native::CopyMatching(sourcePattern, destination, overwrite, monitor, earlierCopies);
}

std::string FolderIdentity(const std::string& folder) {
    NulByte::Refuse(folder);
    return Native::FolderIdentity(folder);
}

}  // namespace quillmere::SystemFiles
