#include "app/QtLauncher.h"

#include <QDesktopServices>
#include <QUrl>

#include <string_view>

namespace quillmere::QtLauncher {
namespace {

constexpr std::string_view kStart = "start ";

// Web pages with a host, and mail addresses; no local files, no other schemes.
bool IsAllowed(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) return !url.host().isEmpty();
    if (scheme == QLatin1String("mailto")) return url.host().isEmpty() && url.path().contains(QLatin1Char('@'));
    return false;
}

}  // namespace

bool Launch(const std::string& commandLine) {
    if (!commandLine.starts_with(kStart)) return false;
    const QString target = QString::fromStdString(commandLine.substr(kStart.size()));
    // One address and nothing after it: "start https://a & other" is no address.
    for (const QChar c : target) {
        if (c.isSpace() || c.category() == QChar::Other_Control) return false;
    }
    const QUrl url(target, QUrl::StrictMode);
    if (!url.isValid() || !IsAllowed(url)) return false;
    // The desktop's handler runs as a program of its own, started from inside openUrl. It gets
    // the open-file limit the program started with: only a running copy raises it, and puts it
    // back when it ends.
    return QDesktopServices::openUrl(url);
}

}  // namespace quillmere::QtLauncher
