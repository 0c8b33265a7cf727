#include "backup/CopyWatcher.h"

namespace quillmere {

void CopyWatcher::WatchCopy(const std::string&, const std::function<void(CopyMonitor&)>& copy) {
    UnwatchedCopy monitor;
    copy(monitor);
}

}  // namespace quillmere
