#include "app/VolumeList.h"

#include <QDir>

namespace quillmere {

namespace {

// An empty text lies on no volume; taken as a path it would clean to "" and match the root "/".
bool Contains(const QString& root, const QString& path) {
    if (path.isEmpty()) return false;
    const QString p = QDir::cleanPath(path);
    if (root.endsWith(QLatin1Char('/'))) return p.startsWith(root) || p == root.chopped(1);
    return p == root || p.startsWith(root + QLatin1Char('/'));
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
