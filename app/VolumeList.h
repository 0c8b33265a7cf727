// VolumeList: the volumes a user picks a folder from (the "drives" of the folder dialog), and
// where each one starts. The real list reads the mounted volumes; tests hand in their own.
#pragma once

#include <QString>

#include <vector>

namespace quillmere {

struct Volume {
    QString root;   // where it is mounted: "/", "/media/usb"
    QString label;  // the volume's name, empty when it has none
};

class VolumeList {
public:
    virtual ~VolumeList() = default;
    virtual std::vector<Volume> Volumes() const = 0;
    // The program's working folder: a volume that holds it opens there, any other at its root.
    virtual QString WorkingFolder() const = 0;
};

}  // namespace quillmere

namespace quillmere {

// The index of the volume that holds path (the one with the longest root that contains it), or -1.
int VolumeHolding(const std::vector<Volume>& volumes, const QString& path);
// The folder a volume opens at: the working folder when it lies on that volume, else its root.
QString StartFolder(const VolumeList& list, const std::vector<Volume>& volumes, int volume);

}  // namespace quillmere
