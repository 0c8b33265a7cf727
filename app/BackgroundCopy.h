// BackgroundCopy: runs a backup's copy on a thread of its own, so the window's thread keeps
// repainting, and watches it: after half a second the progress window appears; the window's input
// is held back meanwhile, except that Esc and its close box, like Stop, ask whether to stop.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

#include "forms/CopyWatch.h"

class QWidget;

namespace quillmere {

class frmProgress;

class BackgroundCopy final : public QObject, public CopyWatch {
public:
    BackgroundCopy(PlatformOps& ops, QWidget* window);
    ~BackgroundCopy() override;

    // Runs copy and returns once it has ended, rethrowing what it threw.
    void Run(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowProgress();

    QWidget* m_window;
    QPointer<frmProgress> m_progressWindow;
};

}  // namespace quillmere
