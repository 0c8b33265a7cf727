#include "app/BackgroundCopy.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <thread>

#include "app/frmProgress.h"

namespace quillmere {

BackgroundCopy::BackgroundCopy(PlatformOps& ops, QWidget* window) : CopyWatch(ops), m_window(window) {
    qApp->installEventFilter(this);
}

BackgroundCopy::~BackgroundCopy() {
    qApp->removeEventFilter(this);
    delete m_progressWindow;
}

void BackgroundCopy::RunCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker = StartThread(stampFolder, [&] {
        try {
            copy(*this);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    try {
        ShowWhileRunning(stampFolder, loop);
    } catch (...) {
        // Nothing may leave here while the copy's thread runs, as its end would end the program
        // (std::terminate): the copy is stopped at its next safe point and waited for, and the
        // window side's failure is reported in its place.
        Stop();
        worker.join();
        delete m_progressWindow;
        throw;
    }
    // The loop also ends when the program is asked to quit (a stop signal); the copy then stops
    // at its next safe point by itself, and its thread is waited for.
    worker.join();
    delete m_progressWindow;
    if (failure) std::rethrow_exception(failure);
}

void BackgroundCopy::ShowWhileRunning(const std::string& stampFolder, QEventLoop& loop) {
    QTimer appear;
    appear.setSingleShot(true);
    connect(&appear, &QTimer::timeout, this, [&] {
        m_progressWindow = new frmProgress(
            QString::fromStdString(StampName(stampFolder)), [this] { AskToStop(); }, m_window);
        ShowProgress();
        m_progressWindow->show();
    });
    appear.start(kProgressDelayMs);
    QTimer refresh;
    connect(&refresh, &QTimer::timeout, this, &BackgroundCopy::ShowProgress);
    refresh.start(kRefreshMs);
    loop.exec();
}

void BackgroundCopy::ShowProgress() {
    if (m_progressWindow) m_progressWindow->Show(Latest());
}

// The main window stays as it is while the copy runs: no key or click reaches it (its shortcuts
// included), so nothing can start a second run or change the inputs half-way. Esc and the close
// box ask whether to stop instead of closing it afterwards.
bool BackgroundCopy::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !m_window || widget->window() != m_window) return false;
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Accepted, the key is not taken for a shortcut and comes as a key press below.
            event->accept();
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) AskToStop();
            return true;
        case QEvent::Close:
            event->ignore();
            AskToStop();
            return true;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu: return true;
        default: return false;
    }
}

}  // namespace quillmere
