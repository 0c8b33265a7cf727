// FileSizeLimit: lowers this process's file-size limit (RLIMIT_FSIZE) for the life of the object,
// so that a write fails half-way as it would on a full disk. SIGXFSZ is ignored meanwhile, so
// the limit shows as the error EFBIG instead of ending the test program.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace quillmere::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limited = m_previous;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    void (*m_previousHandler)(int);
    rlimit m_previous{};
};

}  // namespace quillmere::test
