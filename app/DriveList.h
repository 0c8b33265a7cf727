// DriveList: a drop-down list of the volumes (drives) to pick a folder from.
//
// Its text begins with the selected volume's root ("/", "/media/usb  [USB]"). It can be set from
// any path on a volume, and every change of the selected volume, by the user or by
// SetDrive, raises Changed() at once, so a handler may change it again from inside (the folder
// dialog does that to fall back from a volume that cannot be read).
#pragma once

#include <QComboBox>

#include <vector>

#include "app/VolumeList.h"

namespace quillmere {

class DriveList final : public QComboBox {
    Q_OBJECT

public:
    // Starts on the volume of the working folder, without raising Changed().
    explicit DriveList(const VolumeList& volumes, QWidget* parent = nullptr);

    // The folder the selected volume opens at: the working folder when it lies on it, else its root.
    QString DriveFolder() const;
    // Selects the volume that holds path. Throws PlatformError when no listed volume holds it.
    void SetDrive(const QString& path);

signals:
    void Changed();

private:
    const VolumeList& m_list;
    std::vector<Volume> m_volumes;
};

}  // namespace quillmere
