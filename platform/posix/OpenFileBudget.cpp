#include "platform/posix/OpenFileBudget.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace quillmere::posix {

OpenFileBudget::OpenFileBudget(std::size_t maxBatchFiles, std::size_t candidates, int folderFd)
    : m_batchFiles(maxBatchFiles) {
    if (::getrlimit(RLIMIT_NOFILE, &m_limit) == 0 && m_limit.rlim_cur != RLIM_INFINITY) {
        rlimit raised = m_limit;
        // Two batches are open at once, one being copied while the other waits for the disk; the
        // rest of the program (and, in the window, the toolkit) keeps a share for itself.
        constexpr rlim_t kKept = 512;
        const rlim_t wanted = 2 * static_cast<rlim_t>(maxBatchFiles) + kKept;
        if (raised.rlim_cur < wanted) raised.rlim_cur = std::min(wanted, raised.rlim_max);
        m_raised = raised.rlim_cur != m_limit.rlim_cur && ::setrlimit(RLIMIT_NOFILE, &raised) == 0;
        const rlim_t allowed = m_raised ? raised.rlim_cur : m_limit.rlim_cur;
        m_batchFiles =
            std::clamp<std::size_t>((allowed > 2 * kKept ? allowed - kKept : allowed / 2) / 2, 1, maxBatchFiles);
    }
    // The table of descriptors grows by doubling as files are opened, and once a second thread
    // shares it (the one waiting for the disk) each growth waits for every processor to pass a
    // quiescent point, some 10 ms. Growing it once now, to what two batches can use, costs
    // nothing of that.
    const std::size_t open = 2 * std::min(m_batchFiles, candidates) + 64;
    const auto highest = static_cast<int>(std::min<std::size_t>(open, std::size_t{1} << 20));
    if (const int probe = ::fcntl(folderFd, F_DUPFD_CLOEXEC, highest); probe >= 0) ::close(probe);
}

}  // namespace quillmere::posix
