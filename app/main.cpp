// Start-up: the user's locale (for the system's error texts), the application and its font, the
// real platform and the main window. The program ends when the main window closes.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

#include "app/UiFont.h"
#include "app/frmMain.h"
#include "platform/StopRequest.h"
#include "platform/qt/MountedVolumes.h"
#include "platform/qt/RealPlatform.h"
#include "settings/SettingsLayout.h"

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // A file-size limit (ulimit -f) must end a copy with an error the user can read, not kill
    // the program half-way through a backup.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef Q_OS_UNIX
    // A backup keeps a batch of finished copies open until one sync has made them all durable;
    // the batch is a quarter of the open-file limit, and desktops start programs with a soft
    // limit of 1024 under a much higher hard one. Raising it means fewer, larger batches.
    if (rlimit files{}; ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = std::max<rlim_t>(files.rlim_cur, std::min<rlim_t>(files.rlim_max, 1 << 16));
        (void)::setrlimit(RLIMIT_NOFILE, &files);
    }
#endif
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(quillmere::SettingsLayout::kAppName));
    QApplication::setDesktopFileName(QStringLiteral("quillmere"));
    QApplication::setFont(quillmere::JapaneseUiFont());
    // The standard buttons of the message boxes (Yes, No) in the user's language, where Qt's own
    // translations are installed.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslations);
    }

    // Logout, shutdown, Ctrl+C or a closed terminal: a running backup stops at its next safe
    // point with its finished copies in place (the copy engine looks at the request itself), and
    // the program then ends with a failure status. The timer also ends a program that is idle.
    quillmere::StopRequest::InstallSignalHandlers();
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [] {
        if (quillmere::StopRequest::Requested()) QApplication::exit(128 + quillmere::StopRequest::Signal());
    });
    stopWatch.start(200);

    quillmere::RealPlatform platform;
    quillmere::MountedVolumes volumes;
    quillmere::frmMain window(platform, volumes);
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    return QApplication::exec();
}
