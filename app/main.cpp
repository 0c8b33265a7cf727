// Start-up: the user's locale (for the system's error texts), the application and its font, the
// real platform and the main window. The program ends when the main window closes.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

#include "app/MountedVolumes.h"
#include "app/RealPlatform.h"
#include "app/StopSignals.h"
#include "app/UiFont.h"
#include "app/frmMain.h"
#include "settings/SettingsLayout.h"

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // A file-size limit (ulimit -f) must end a copy with an error the user can read, not kill
    // the program half-way through a backup.
    std::signal(SIGXFSZ, SIG_IGN);
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
    // the event loop ends with a failure status. Every loop ends with it, a box's too, so nothing
    // waits for a user who may be gone.
    quillmere::StopSignals stopSignals([](int signal) { QApplication::exit(128 + signal); });

    quillmere::RealPlatform platform;
    quillmere::MountedVolumes volumes;
    quillmere::frmMain window(platform, volumes);
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    const int status = QApplication::exec();
    // However the loop ended, the window unloads as Quit unloads it: a session's end stores the
    // window's position too. A window closed already (Quit, Esc, the close box) has done so.
    if (window.isVisible()) window.close();
    return status;
}
