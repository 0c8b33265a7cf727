// WindowProbe: measures a windowed program's start-up from outside, on an X display: the time
// from starting the process to its first top-level window being mapped, and the peak memory up
// to a moment after that. The program is not asked to cooperate, so the same probe serves our
// executable and the bare baseline window alike.
#pragma once

#include <xcb/xcb.h>

#include <string>
#include <vector>

#include "bench/ChildProcess.h"

namespace quillmere::bench {

class WindowProbe {
public:
    // Connects to $DISPLAY; throws when there is no display.
    WindowProbe();
    ~WindowProbe();
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    // Starts the program, waits for its window, lets it settle (first paint, font loading) for
    // the same time on every program, then kills it. Throws when no window appears in time.
    Sample Measure(const std::vector<std::string>& argv, const Environment& environment);

private:
    void DrainEvents();

    xcb_connection_t* m_connection = nullptr;
};

}  // namespace quillmere::bench
