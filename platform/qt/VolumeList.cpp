#include "platform/qt/VolumeList.h"

#include <QDir>

namespace quillmere {

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// An empty text lies on no volume; taken as a path it would clean to "" and match the root "/".
bool Contains(const QString& root, const QString& path) {
    if (path.isEmpty()) return false;
    const QString r = QDir::fromNativeSeparators(root);
    const QString p = QDir::cleanPath(QDir::fromNativeSeparators(path));
    if (r.endsWith(QLatin1Char('/'))) return p.startsWith(r, kPathCase) || p.compare(r.chopped(1), kPathCase) == 0;
    return p.compare(r, kPathCase) == 0 || p.startsWith(r + QLatin1Char('/'), kPathCase);
}

}  // namespace

int VolumeHolding(const std::vector<Volume>& volumes, const QString& path) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(volumes.size()); ++i) {
        if (Contains(volumes[i].root, path) &&
            (best < 0 || volumes[i].root.size() > volumes[static_cast<std::size_t>(best)].root.size())) {
            best = i;
        }
    }
    return best;
}

QString StartFolder(const VolumeList& list, const std::vector<Volume>& volumes, int volume) {
    QString working = list.WorkingFolder();
    if (VolumeHolding(volumes, working) == volume) return working;
    return volumes[static_cast<std::size_t>(volume)].root;
}

}  // namespace quillmere
