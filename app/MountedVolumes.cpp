#include "app/MountedVolumes.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>

#include "platform/posix/WineDrive.h"

namespace quillmere {

namespace {

// Mount points where desktops and users put media they plug in or attach by hand.
bool IsMediaMount(const QString& root) {
    for (const char* prefix : {"/media/", "/run/media/", "/mnt/"}) {
        if (root.startsWith(QLatin1String(prefix))) return true;
    }
    return false;
}

bool IsPseudoFileSystem(const QByteArray& type) {
    static const char* const kPseudo[] = {"proc",     "sysfs",      "devtmpfs",  "devpts",    "tmpfs",   "cgroup",
                                          "cgroup2",  "securityfs", "pstore",    "debugfs",   "tracefs", "configfs",
                                          "fusectl",  "mqueue",     "hugetlbfs", "bpf",       "autofs",  "binfmt_misc",
                                          "efivarfs", "nsfs",       "ramfs",     "rpc_pipefs"};
    return std::any_of(std::begin(kPseudo), std::end(kPseudo), [&](const char* p) { return type == p; });
}
}  // namespace

std::vector<Volume> MountedVolumes::Volumes() const {
    std::vector<Volume> volumes;
    const QString home = QStorageInfo(QDir::homePath()).rootPath();
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        const QString root = info.rootPath();
        const bool wanted = root == QLatin1String("/") || root == home ||
                            (IsMediaMount(root) && !IsPseudoFileSystem(info.fileSystemType()));
        if (wanted) volumes.push_back({root, root == QLatin1String("/") ? QString() : info.name()});
    }
    if (std::none_of(volumes.begin(), volumes.end(), [](const Volume& v) { return v.root == QLatin1String("/"); })) {
        volumes.push_back({QStringLiteral("/"), QString()});
    }
    // The user's Wine drives lead to the folders a Windows program under Wine sees as C:, D:, ...;
    // one that leads to a volume already listed (Z: to "/", as a fresh prefix has it) adds nothing.
    for (const posix::WineDrive::Drive& drive : posix::WineDrive::Drives()) {
        const QString root = QString::fromStdString(drive.folder);
        if (std::any_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == root; })) continue;
        volumes.push_back({root, QStringLiteral("%1: (Wine)").arg(QLatin1Char(drive.letter))});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return volumes;
}

QString MountedVolumes::WorkingFolder() const {
    return QDir::currentPath();
}

}  // namespace quillmere
