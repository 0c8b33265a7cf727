// BackgroundCopy: runs a backup's copy on a thread of its own, so the window's thread keeps
// repainting, and watches it: after half a second the progress window appears; the window's input
// is held back meanwhile, except that Esc and its close box, like Stop, ask whether to stop.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

#include "forms/CopyWatch.h"

class QEventLoop;
class QWidget;

namespace quillmere {

class frmProgress;

class BackgroundCopy final : public QObject, public CopyWatch {
public:
    BackgroundCopy(PlatformOps& ops, QWidget* window);
    ~BackgroundCopy() override;

protected:
    void RunCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the progress window after its delay and refreshes it until loop ends.
    void ShowWhileRunning(const std::string& stampFolder, QEventLoop& loop);
    void ShowProgress();

    QWidget* m_window;
    QPointer<frmProgress> m_progressWindow;
};

}  // namespace quillmere
