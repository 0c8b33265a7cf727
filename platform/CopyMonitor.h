// CopyMonitor: how a copy of matching files tells its progress and learns that it is to stop.
// The copy calls it from the thread it runs on; a window that runs the copy off its own thread
// makes both calls safe to cross threads.
#pragma once

#include <cstdint>
#include <string>

#include "platform/PlatformOps.h"
#include "platform/StopRequest.h"

namespace quillmere {

struct CopyProgress {
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::string currentFile;  // the name of the file being copied; empty once all are done
};

class CopyMonitor {
public:
    virtual ~CopyMonitor() = default;
    // Called before the first file, between files and at least every few megabytes within one.
    // When the copy fails, the last report's filesDone is the number of copies it leaves whole
    // under their names, which the user is told.
    virtual void Report(const CopyProgress& progress) = 0;
    // Looked at in the same places. Once it answers true the copy finishes nothing more: the
    // copies already finished are kept whole under their names, the unfinished one is removed,
    // and the copy throws CopyStopped.
    virtual bool StopRequested() = 0;
};

// The monitor of a copy that nobody watches: it reports nowhere and stops the copy only on a stop
// signal (see StopRequest.h).
class UnwatchedCopy final : public CopyMonitor {
public:
    void Report(const CopyProgress&) override {}
    bool StopRequested() override { return StopRequest::Requested(); }
};

// What a copy throws when it stopped on request. what() names the destination folder.
class CopyStopped : public PlatformError {
public:
    CopyStopped(const std::string& destination, std::uint64_t filesCopied)
        : PlatformError(destination), m_filesCopied(filesCopied) {}
    std::uint64_t FilesCopied() const { return m_filesCopied; }

private:
    std::uint64_t m_filesCopied;
};

}  // namespace quillmere
