// PosixIo: the read and write loops and the temporary-file creation every POSIX part shares, so
// that a short transfer, a zero-byte write and EINTR are treated one way everywhere.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/posix/FileDescriptor.h"

namespace quillmere::posix {

// Writes all of data, at the file's position or, with at >= 0, at that offset. Answers 0 or the
// errno of the failing call; a write that moves nothing counts as ENOSPC, never as progress.
[[nodiscard]] int WriteAll(int fd, const char* data, std::size_t size, off_t at = -1);

// Reads until size bytes are in or the file ends, at the file's position or from offset at.
// Answers the bytes read (short only at the end of the file), or -1 with errno set.
[[nodiscard]] ssize_t ReadUpTo(int fd, char* data, std::size_t size, off_t at = -1);

// Appends the rest of the file to content. Answers 0 or the errno of the failing read.
[[nodiscard]] int ReadAll(int fd, std::string& content);

// Sets name to prefix + digits random hex digits + suffix; answers 0 or the errno of getrandom(2).
[[nodiscard]] int RandomName(std::string_view prefix, std::size_t digits, std::string_view suffix, std::string& name);

// A new file beside its target under a name of the form prefix + random hex digits + suffix,
// created like mkostemps(3) (never an existing name, mode 0600) but relative to a folder handle,
// and holding an exclusive flock(2) from the moment it is answered: a clean-up that finds such a
// file removes it only when it can take the lock itself.
struct LockedTemp {
    FileDescriptor fd;
    std::string name;
};

// Answers 0 and fills temp, or the errno of the creation.
[[nodiscard]] int CreateLockedTemp(int folderFd, std::string_view prefix, std::size_t digits, std::string_view suffix,
                                   LockedTemp& temp);

}  // namespace quillmere::posix
