// BatchPolicy: when a batch of finished copies is handed over to be made durable and named. It
// only counts (files, bytes, time); the caller tells it the time, so it makes no system call.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace quillmere::posix {

// A batch is bounded by count (a folder of any size never holds more than twice that many files
// open), by bytes and by time: what a killed process or a power loss leaves unfinished is at
// most two batches, a few seconds of copying, and a large file waits for no earlier one.
class BatchPolicy {
public:
    using Clock = std::chrono::steady_clock;

    // Each sync of the file system costs a flush of the device whatever it writes, so small files
    // are gathered by the thousand; the batch's time bounds what a batch of them holds back.
    static constexpr std::size_t kMaxFiles = 16384;
    // Fewer files than this are not worth a sync of their own, unless they are the last.
    static constexpr std::size_t kMinFiles = 64;
    // About two seconds of copying on a disk. A file that alone may take a second or more on a
    // slow USB stick starts a batch of its own, so no finished copy waits for it.
    static constexpr std::uint64_t kMaxBytes = std::uint64_t{256} << 20;
    static constexpr std::uint64_t kLargeFile = std::uint64_t{16} << 20;
    static constexpr std::chrono::seconds kMaxTime{2};

    // What must happen before a file is added to the batch being filled.
    enum class Before {
        Nothing,
        CommitAll,      // a large file: every copy before it is named first, also a batch still syncing
        HandOverBatch,  // the file would take the batch past its bytes: the batch goes first
    };

    // candidates: the files of the run; capacity: the most files a batch may hold open (see
    // OpenFileBudget), at most kMaxFiles.
    BatchPolicy(std::size_t candidates, std::size_t capacity) : m_capacity(capacity), m_remaining(candidates) {}

    Before BeforeAdding(std::uint64_t size) const;
    // A file of the size joins the batch; the first of a batch starts its clock and its target.
    void Added(std::uint64_t size, Clock::time_point now);
    // The last file added left the batch again (its copy failed).
    void DroppedLast();
    // The batch was handed over, or dropped after a failure: the next file starts a new one.
    void Emptied();

    // Whether the batch should be handed over now. earlierSyncing: the batch before is still
    // waiting for the disk, so that handing this one over before its bounds would only wait.
    bool Full(Clock::time_point now, bool earlierSyncing) const;
    // The files the batch being filled aims at.
    std::size_t Target() const { return m_target; }

private:
    std::size_t m_capacity;
    std::size_t m_remaining;  // candidates not yet started
    std::size_t m_target = kMaxFiles;
    std::deque<std::uint64_t> m_sizes;  // of the files in the batch being filled
    std::uint64_t m_bytes = 0;
    Clock::time_point m_started;
};

}  // namespace quillmere::posix
