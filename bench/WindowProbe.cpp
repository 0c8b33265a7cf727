#include "bench/WindowProbe.h"

#include <poll.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <thread>

namespace quillmere::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kWindowTimeout = std::chrono::seconds(30);
constexpr auto kSettleTime = std::chrono::milliseconds(300);

}  // namespace

WindowProbe::WindowProbe() {
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        throw std::runtime_error("cannot connect to the X display (DISPLAY is not set or not reachable)");
    }
    // With no window manager a program's top-level windows are children of the root window, so
    // watching the root's structure reports their mapping.
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
}

WindowProbe::~WindowProbe() {
    xcb_disconnect(m_connection);
}

void WindowProbe::DrainEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) std::free(event);
}

Sample WindowProbe::Measure(const std::vector<std::string>& argv, const Environment& environment) {
    DrainEvents();
    const auto start = Clock::now();
    const pid_t child = Start(argv, environment);
    auto mapped = Clock::time_point{};
    while (mapped == Clock::time_point{}) {
        if (Clock::now() - start > kWindowTimeout) {
            ::kill(child, SIGKILL);
            Reap(child, argv.front(), SIGKILL);
            throw std::runtime_error(argv.front() + " showed no window");
        }
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) throw std::runtime_error(argv.front() + " ended early");
        pollfd connection{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&connection, 1, 20);
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
            if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY) continue;
            // Menus and tooltips bypass window management; the main window does not.
            if (reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect) continue;
            mapped = Clock::now();
            break;
        }
        if (xcb_connection_has_error(m_connection)) throw std::runtime_error("lost the X display");
    }
    std::this_thread::sleep_for(kSettleTime);
    ::kill(child, SIGKILL);
    const long peak = Reap(child, argv.front(), SIGKILL);
    const std::chrono::duration<double> elapsed = mapped - start;
    return {elapsed.count(), peak};
}

}  // namespace quillmere::bench
