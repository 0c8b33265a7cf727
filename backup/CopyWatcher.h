// CopyWatcher: whoever shows a running copy. The backup run hands it the copy to run; the watcher
// gives the copy a monitor, shows the progress its own way and may ask the copy to stop.
#pragma once

#include <functional>
#include <string>

#include "platform/CopyMonitor.h"

namespace quillmere {

class CopyWatcher {
public:
    virtual ~CopyWatcher() = default;
    // Runs copy with a monitor and returns once copy has returned, rethrowing what it threw. The
    // default runs it at once with a monitor that reports nowhere and never asks for a stop.
    virtual void WatchCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy);
};

}  // namespace quillmere
