#include "app/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/StopRequest.h"

namespace quillmere {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's ends; the write end is used from the signal handler, which may only make
// async-signal-safe calls: an atomic store (StopRequest::Request) and write(2).
std::atomic<int> g_pipe[2] = {-1, -1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void WakeOnStopSignal(int signal) {
    const int savedErrno = errno;
    StopRequest::Request(signal);
    // The signal number fits a byte. A full pipe (signals faster than the loop reads them) loses
    // nothing that matters: the first byte is still there to be read.
    const auto number = static_cast<unsigned char>(signal);
    (void)!::write(g_pipe[1], &number, 1);
    errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals(std::function<void(int)> received) : m_received(std::move(received)) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Without the pipe the signals still set the stop request, which the copy looks at; the
        // idle program then ends only when its window closes.
        std::fprintf(stderr, "quillmere: pipe: %s\n", std::strerror(errno));
        StopRequest::InstallSignalHandlers();
        return;
    }
    g_pipe[0] = ends[0];
    g_pipe[1] = ends[1];
    m_notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::Drain);
    struct sigaction action {};
    action.sa_handler = WakeOnStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls of the copy resume by themselves; the copy looks at the request.
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

// The handlers stay: a signal that comes later still sets the stop request, and its write to the
// pipe, whose ends are forgotten before they are closed, goes nowhere.
StopSignals::~StopSignals() {
    if (g_pipe[0] < 0) return;
    delete m_notifier;
    const int ends[2] = {g_pipe[0], g_pipe[1]};
    g_pipe[0] = g_pipe[1] = -1;
    ::close(ends[0]);
    ::close(ends[1]);
}

void StopSignals::Drain() {
    unsigned char numbers[16];
    const ssize_t got = ::read(g_pipe[0], numbers, sizeof numbers);
    for (ssize_t i = 0; i < got; ++i) m_received(numbers[i]);
}

}  // namespace quillmere
