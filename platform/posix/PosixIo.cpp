#include "platform/posix/PosixIo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quillmere::posix {

int WriteAll(int fd, const char* data, std::size_t size, off_t at) {
    while (size > 0) {
        const ssize_t written = at < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, at);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        // write(2) answers 0 only when it cannot go on; the kernel reports ENOSPC on the next call.
        if (written == 0) return ENOSPC;
        data += written;
        size -= static_cast<std::size_t>(written);
        if (at >= 0) at += written;
    }
    return 0;
}

ssize_t ReadUpTo(int fd, char* data, std::size_t size, off_t at) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = at < 0 ? ::read(fd, data + done, size - done)
                                   : ::pread(fd, data + done, size - done, at + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

int ReadAll(int fd, std::string& content) {
    char chunk[65536];
    for (;;) {
        const ssize_t got = ReadUpTo(fd, chunk, sizeof chunk);
        if (got < 0) return errno;
        content.append(chunk, static_cast<std::size_t>(got));
        if (static_cast<std::size_t>(got) < sizeof chunk) return 0;
    }
}

int RandomName(std::string_view prefix, std::size_t digits, std::string_view suffix, std::string& name) {
    unsigned char random[16] = {};
    if (digits > 2 * sizeof random) return EINVAL;
    while (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        if (errno != EINTR) return errno;
    }
    name.assign(prefix);
    for (std::size_t i = 0; i < digits; ++i) name += "0123456789abcdef"[(random[i / 2] >> (i % 2 * 4)) & 0xF];
    name.append(suffix);
    return 0;
}

int CreateLockedTemp(int folderFd, std::string_view prefix, std::size_t digits, std::string_view suffix,
                     LockedTemp& temp) {
    std::string name;
    // Each try takes fresh random digits, so a clash with another writer's name, or a file that a
    // clean-up removed before it could be locked, costs one more try; a hundred clashes in a row
    // can only mean the folder is being filled on purpose.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (const int error = RandomName(prefix, digits, suffix, name)) return error;
        FileDescriptor fd(::openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd.IsOpen()) {
            if (errno == EEXIST) continue;
            return errno;
        }
        // The lock is taken after the file exists, so another run's clean-up may take it first
        // and remove the file; the file then has no name left, and a new one is made. A file
        // system without flock (some network shares) keeps no lock, and the clean-up, which
        // cannot lock either, leaves such files alone.
        while (::flock(fd.Get(), LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if (::fstat(fd.Get(), &st) == 0 && st.st_nlink == 0) continue;
        temp.fd = std::move(fd);
        temp.name = std::move(name);
        return 0;
    }
    return EEXIST;
}

}  // namespace quillmere::posix
