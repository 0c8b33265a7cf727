#include "app/DriveList.h"

#include "platform/PlatformOps.h"

namespace quillmere {

DriveList::DriveList(const VolumeList& volumes, QWidget* parent)
    : QComboBox(parent), m_list(volumes), m_volumes(volumes.Volumes()) {
    for (const Volume& volume : m_volumes) {
        addItem(volume.label.isEmpty() ? volume.root : QStringLiteral("%1  [%2]").arg(volume.root, volume.label));
    }
    const int working = VolumeHolding(m_volumes, m_list.WorkingFolder());
    setCurrentIndex(working >= 0 ? working : 0);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::Changed);
}

QString DriveList::DriveFolder() const {
    if (currentIndex() < 0) throw PlatformError("ドライブがありません。");
    return StartFolder(m_list, m_volumes, currentIndex());
}

void DriveList::SetDrive(const QString& path) {
    const int volume = VolumeHolding(m_volumes, path);
    if (volume < 0) throw PlatformError((path + QStringLiteral(": ドライブが見つかりません。")).toStdString());
    setCurrentIndex(volume);
}

}  // namespace quillmere
