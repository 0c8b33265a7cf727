// BoundSocket: a Unix socket bound to a path, so a folder holds a socket entry for as long as the
// test needs it; closed again at the end of the test.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>

namespace quillmere::test {

class BoundSocket {
public:
    // Bound() is false when the path is too long for a socket address or the bind fails.
    explicit BoundSocket(const std::string& path) : m_fd(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (m_fd < 0 || path.size() >= sizeof address.sun_path) return;
        path.copy(address.sun_path, path.size());
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~BoundSocket() {
        if (m_fd >= 0) ::close(m_fd);
    }
    BoundSocket(const BoundSocket&) = delete;
    BoundSocket& operator=(const BoundSocket&) = delete;

    bool Bound() const { return m_bound; }

private:
    int m_fd;
    bool m_bound = false;
};

}  // namespace quillmere::test
