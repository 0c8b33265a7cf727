// UnchangedCopy: a file that has not changed since the earlier backup took its copy is taken from
// that copy rather than read again.
#pragma once

#include <sys/stat.h>

#include "platform/posix/CopyData.h"
#include "platform/posix/PendingCopies.h"

namespace quillmere::posix {

enum class Unchanged {
    NotTaken,  // copy the source's file as usual
    Cloned,    // the last file of the batch holds the earlier copy's data, still without its times
    Linked,    // the batch's last entry is another name of the earlier copy, ready to be named
};

// Takes the file whose source was looked at as source from its copy in context.earlierFd, when
// that copy can stand for it: a regular file reached without following a link, of the same size,
// modification time and permission bits, owned by this user as a new copy would be, and not
// named before the run (a copy replacing a name needs a rename). Where the file system shares
// blocks the copy is a clone (an independent file); else, where it can link an open file in, a
// link to the earlier copy. Either is named later with the other copies, in the same order and by
// the same rules. Where neither can be made the file is copied; nothing fails for it.
Unchanged TakeUnchanged(CopyContext& context, const CopyPaths& paths, const struct stat& source,
                        PendingCopies& pending);

// Whether the destination folder can link an open file in (see TempFile), found by making one
// unnamed file there and closing it again.
bool CanLinkOpenFiles(int targetFd);

}  // namespace quillmere::posix
