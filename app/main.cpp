// Start-up: the user's locale (for the system's error texts), the application, the real platform
// and the window. The program ends when its window closes.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

#include "app/StandInWindow.h"
#include "platform/qt/RealPlatform.h"
#include "settings/SettingsLayout.h"

int main(int argc, char* argv[]) {
    // A file-size limit (ulimit -f) must end a copy with an error the user can read, not kill
    // the program half-way through a backup.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(quillmere::SettingsLayout::kAppName));
    // The standard buttons of the message boxes (Yes, No) in the user's language, where Qt's own
    // translations are installed.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslations);
    }

    quillmere::RealPlatform platform;
    quillmere::StandInWindow window(platform);
    window.show();
    return QApplication::exec();
}
