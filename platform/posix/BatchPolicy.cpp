#include "platform/posix/BatchPolicy.h"

#include <algorithm>

namespace quillmere::posix {

BatchPolicy::Before BatchPolicy::BeforeAdding(std::uint64_t size) const {
    if (size >= kLargeFile) return Before::CommitAll;
    if (!m_sizes.empty() && m_bytes + size > kMaxBytes) return Before::HandOverBatch;
    return Before::Nothing;
}

void BatchPolicy::Added(std::uint64_t size, Clock::time_point now) {
    if (m_sizes.empty()) {
        m_started = now;
        // Each batch takes half of the files still to come, so the disk writes one batch back
        // while the next, half as long, is copied, and the last batch, whose sync nobody's work
        // overlaps, is a small one.
        m_target = std::clamp<std::size_t>((m_remaining + 1) / 2, std::min(kMinFiles, m_capacity), m_capacity);
    }
    // A file tried again after a change counts once more; the target only steers the batches.
    if (m_remaining > 0) --m_remaining;
    m_sizes.push_back(size);
    m_bytes += size;
}

void BatchPolicy::DroppedLast() {
    m_bytes -= m_sizes.back();
    m_sizes.pop_back();
}

void BatchPolicy::Emptied() {
    m_sizes.clear();
    m_bytes = 0;
}

bool BatchPolicy::Full(Clock::time_point now, bool earlierSyncing) const {
    if (m_bytes >= kMaxBytes || m_sizes.size() >= m_capacity || (!m_sizes.empty() && now - m_started >= kMaxTime)) {
        return true;
    }
    if (m_sizes.size() < m_target) return false;
    // While the batch before still waits for the disk, handing this one over would only wait
    // for it: the copying goes on instead.
    return !earlierSyncing;
}

}  // namespace quillmere::posix
