#include "platform/OpenFileLimit.h"

#include <sys/resource.h>

#include <algorithm>

namespace quillmere::OpenFileLimit {
namespace {

rlimit g_starting{RLIM_INFINITY, RLIM_INFINITY};
bool g_raised = false;

}  // namespace

void RaiseForCopies() {
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0) return;
    g_starting = files;
    if (files.rlim_cur == RLIM_INFINITY || files.rlim_cur >= static_cast<rlim_t>(kForCopies)) return;
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, kForCopies);
    g_raised = ::setrlimit(RLIMIT_NOFILE, &files) == 0;
}

void WithStartingLimit(const std::function<void()>& start) {
    rlimit current{};
    if (!g_raised || ::getrlimit(RLIMIT_NOFILE, &current) != 0) {
        start();
        return;
    }
    // Lowering the soft limit is always allowed, and raising it back up to the hard limit too.
    struct Restore {
        const rlimit& raised;
        ~Restore() { (void)::setrlimit(RLIMIT_NOFILE, &raised); }
    } restore{current};
    rlimit starting = current;
    starting.rlim_cur = g_starting.rlim_cur;
    (void)::setrlimit(RLIMIT_NOFILE, &starting);
    start();
}

}  // namespace quillmere::OpenFileLimit
