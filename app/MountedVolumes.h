// MountedVolumes: the system's volumes as a user thinks of them: the root file system, the volume
// of the home folder and removable media, without the kernel's pseudo file systems (proc, sysfs,
// cgroup, tmpfs, ...), and the drives of the user's Wine prefix ("C: (Wine)").
#pragma once

#include "app/VolumeList.h"

namespace quillmere {

class MountedVolumes final : public VolumeList {
public:
    std::vector<Volume> Volumes() const override;
    QString WorkingFolder() const override;
};

}  // namespace quillmere
