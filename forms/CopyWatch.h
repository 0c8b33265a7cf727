// CopyWatch: what every window does while a backup's copy runs on a thread of its own, whatever
// toolkit draws it. The copy's thread reports to it and asks it whether to stop; the window's
// thread reads the latest report for the progress window and asks the user, one box at a time,
// whether to stop. The front ends add the waiting beside their own event loop and the windows.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

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

    // The window's thread. Runs copy, shown the front end's way (RunCopy), and returns once it
    // has ended, rethrowing what it threw. A Yes to stopping that came after the copy's last look
    // at the stop request leaves nothing to stop: a box then says that the backup completed, as
    // otherwise the user could not tell that it did.
    void Watch(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy);

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
    // Runs copy with this watch as its monitor and returns once it has ended, rethrowing what it
    // threw; a failure of the window side stops the copy and waits for it before it is thrown on.
    virtual void RunCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) = 0;
    // Starts the copy's thread. A thread the system cannot start (out of threads or memory) fails
    // as a copy does: PlatformError naming the stamp folder and the system's reason.
    static std::thread StartThread(const std::string& stampFolder, std::function<void()> body);
    // Around the question's box: a front end whose box leaves the main window open to input
    // holds it still here.
    virtual void HoldWindow(bool /*hold*/) {}

private:
    PlatformOps& m_ops;
    bool m_asking = false;
    bool m_answeredYes = false;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    CopyProgress m_latest;  // guarded by m_mutex
};

}  // namespace quillmere
