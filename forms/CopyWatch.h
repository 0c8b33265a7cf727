// CopyWatch: what every window does while a backup's copy runs on a thread of its own, whatever
// toolkit draws it. The copy's thread reports to it and asks it whether to stop; the window's
// thread reads the latest report for the progress window and asks the user, one box at a time,
// whether to stop. The front ends add the waiting beside their own event loop and the windows.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "platform/CopyMonitor.h"
#include "platform/PlatformOps.h"

namespace quillmere {

class CopyWatch : public CopyMonitor {
public:
    // Shorter runs show nothing but the hourglass, as they always did; longer ones show the
    // progress window after this long, refreshed this often.
    static constexpr int kProgressDelayMs = 500;
    static constexpr int kRefreshMs = 100;

    explicit CopyWatch(PlatformOps& ops) : m_ops(ops) {}

    // The copy's thread.
    void Report(const CopyProgress& progress) override;
    bool StopRequested() override;

    // The window's thread. "バックアップを中止しますか？"; Yes stops the copy at its next safe
    // point. A second request while the box shows, or after Yes, asks nothing.
    void AskToStop();
    // Stops the copy without asking: the program is to end, or the window side failed.
    void Stop() { m_stop = true; }
    CopyProgress Latest();

    // What the progress window shows of the stamp folder: its own name.
    static std::string StampName(const std::string& stampFolder);

protected:
    // Around the question's box: a front end whose box leaves the main window open to input
    // holds it still here.
    virtual void HoldWindow(bool /*hold*/) {}

private:
    PlatformOps& m_ops;
    bool m_asking = false;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    CopyProgress m_latest;  // guarded by m_mutex
};

}  // namespace quillmere
