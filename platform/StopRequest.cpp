#include "platform/StopRequest.h"

#include <atomic>
#include <csignal>

namespace quillmere::StopRequest {
namespace {

// A lock-free atomic may be written from a signal handler; the signal number doubles as the flag,
// with -1 for a request that came without one.
std::atomic<int> g_request{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
    Request(signal);
}

}  // namespace

void InstallSignalHandlers() {
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, OnStopSignal);
#endif
}

void Request(int signal) {
    int expected = 0;
    // The first request is the one reported.
    g_request.compare_exchange_strong(expected, signal != 0 ? signal : -1);
}

bool Requested() {
    return g_request.load(std::memory_order_relaxed) != 0;
}

int Signal() {
    const int request = g_request.load(std::memory_order_relaxed);
    return request > 0 ? request : 0;
}

}  // namespace quillmere::StopRequest
