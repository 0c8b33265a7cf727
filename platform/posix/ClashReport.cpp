#include "platform/posix/ClashReport.h"

#include <fcntl.h>

#include <string_view>

#include "platform/CopyClash.h"
#include "platform/Wildcard.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/TakenName.h"

namespace quillmere::posix {

void ThrowClash(const CopyContext& context, const PlacedNames& placed, const std::string& name,
                const struct stat* reached) {
    struct stat st {};
    if (!reached && ::fstatat(context.targetFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) reached = &st;
    // The earlier copy is the one the name now reaches; where the file system numbers a file
    // differently under each spelling of its name (FUSE), the copy whose name differs only in
    // case is taken.
    // The copies are looked up by name only here, once, on the way to a failure.
    std::string earlier;
    if (reached) {
        placed.ForEach([&](std::string_view copy) {
            struct stat st {};
            if (earlier.empty() &&
                ::fstatat(context.targetFd, std::string(copy).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                st.st_dev == reached->st_dev && st.st_ino == reached->st_ino) {
                earlier = copy;
            }
        });
    }
    const std::string lower = AsciiLower(name);
    placed.ForEach([&](std::string_view copy) {
        if (earlier.empty() && AsciiLower(std::string(copy)) == lower) earlier = copy;
    });
    if (earlier.empty() && !Wildcard::HasWildcards(name)) {
        std::string matched;
        placed.ForEach([&](std::string_view copy) {
            if (Wildcard::Matches(name, copy)) matched = copy;
        });
        earlier = matched;
    }
    const std::string earlierPath = InFolder(context.targetFolder, earlier.empty() ? name : earlier);
    throw PosixError::ForPath(InFolder(context.sourceFolder, name), CopyClash::Reason(earlierPath));
}

}  // namespace quillmere::posix
