// StopSignals: how the program hears of a logout, a shutdown, Ctrl+C or a closed terminal
// (SIGTERM, SIGINT, SIGHUP). The signal sets the stop request, at which a running copy stops at its
// next safe point (see StopRequest.h), and wakes the window's event loop through a pipe; there, out
// of the signal handler, the program is told which signal came, so it can quit as Quit does.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace quillmere {

class StopSignals final : public QObject {
public:
    // Installs the handlers. received runs on the window's thread, once per signal.
    explicit StopSignals(std::function<void(int signal)> received);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    void Drain();

    std::function<void(int)> m_received;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace quillmere
