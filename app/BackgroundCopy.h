// BackgroundCopy: runs a backup's copy on a thread of its own, so the window's thread keeps
// repainting, and watches it: after half a second the progress window appears; the window's input
// is held back meanwhile, except that Esc and its close box, like Stop, ask whether to stop.
#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "platform/CopyMonitor.h"

class QWidget;

namespace quillmere {

class frmProgress;

class BackgroundCopy final : public QObject, public CopyMonitor {
public:
    BackgroundCopy(PlatformOps& ops, QWidget* window);
    ~BackgroundCopy() override;

    // Runs copy and returns once it has ended, rethrowing what it threw.
    void Run(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy);
    // "バックアップを中止しますか？"; Yes stops the copy at its next safe point.
    void AskToStop();

    // The copy's thread.
    void Report(const CopyProgress& progress) override;
    bool StopRequested() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowProgress();

    PlatformOps& m_ops;
    QWidget* m_window;
    QPointer<frmProgress> m_progressWindow;
    bool m_asking = false;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    CopyProgress m_latest;  // guarded by m_mutex
};

}  // namespace quillmere
