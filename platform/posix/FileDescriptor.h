// FileDescriptor: owns one POSIX file descriptor and closes it once. Close() reports the error of
// close(2), which for a written file can be the first sign of lost data.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace quillmere {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Reset(); }

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }

    // Files are opened with O_NONBLOCK so that a FIFO in a file's place is never waited on; once
    // the file is known to be regular its reads should block as usual (some network file systems
    // honour the flag). The descriptor must have been opened with no other status flag that
    // F_SETFL changes (O_APPEND, O_DIRECT, O_NOATIME, O_ASYNC), so one call does it, not a read
    // and a write of the flags for every file. Answers 0 or the errno of fcntl(2).
    [[nodiscard]] int MakeBlocking() const { return ::fcntl(m_fd, F_SETFL, 0) < 0 ? errno : 0; }

    // Closes the descriptor and answers 0, or the errno of close(2). The descriptor is released
    // either way: Linux frees it even when close(2) fails, and a retry could close a descriptor
    // that has been handed out again. EINTR is not a failure for the same reason.
    [[nodiscard]] int Close() {
        if (m_fd < 0) return 0;
        const int result = ::close(std::exchange(m_fd, -1));
        return result == 0 || errno == EINTR ? 0 : errno;
    }

private:
    void Reset() {
        if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
    }

    int m_fd = -1;
};

}  // namespace quillmere
