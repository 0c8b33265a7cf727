#include "platform/posix/PendingCopies.h"

#include <chrono>
#include <exception>
#include <future>

#include "platform/posix/PosixError.h"

namespace quillmere::posix {

PendingCopies::PendingCopies(CopyContext& context, const EntryList& candidates)
    : m_context(context),
      m_budget(BatchPolicy::kMaxFiles, candidates.size(), context.targetFd),
      m_work(context.targetFd),
      m_policy(candidates.size(), m_budget.BatchFiles()),
      m_naming(context, candidates) {}

TempFile& PendingCopies::Add(const CopyPaths& paths, off_t size, mode_t mode) {
    const auto bytes = static_cast<std::uint64_t>(size);
    switch (m_policy.BeforeAdding(bytes)) {
        case BatchPolicy::Before::CommitAll: Commit(); break;
        case BatchPolicy::Before::HandOverBatch: CommitInBackground(); break;
        case BatchPolicy::Before::Nothing: break;
    }
    // A copy that replaces a file of an earlier run needs a name to rename over it; linkat(2)
    // cannot replace.
    bool named = false;
    const bool replaces = m_naming.TakenBefore(paths.name);
    TempFile& file =
        m_files.emplace_back(m_context.targetFd, m_work, paths, replaces ? named : m_context.unnamed, mode);
    m_policy.Added(bytes, BatchPolicy::Clock::now());
    return file;
}

void PendingCopies::AddLink(const CopyPaths& paths, FileDescriptor linked) {
    // Only the link's name is left to write back, so it counts as no bytes of the batch.
    switch (m_policy.BeforeAdding(0)) {
        case BatchPolicy::Before::CommitAll: Commit(); break;
        case BatchPolicy::Before::HandOverBatch: CommitInBackground(); break;
        case BatchPolicy::Before::Nothing: break;
    }
    m_files.emplace_back(m_context.targetFd, std::move(linked), paths.name);
    m_policy.Added(0, BatchPolicy::Clock::now());
}

bool PendingCopies::Full() const {
    return m_policy.Full(BatchPolicy::Clock::now(), EarlierSyncing());
}

bool PendingCopies::EarlierSyncing() const {
    return m_sync.valid() && m_sync.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

// Nothing overlaps this batch's wait for the disk, so it waits on this thread: a thread started
// and ended for it would only add its own start-up, which on a busy machine is milliseconds.
void PendingCopies::Commit() {
    FinishSync();
    if (m_files.empty()) return;
    TakeBatch();
    Finish(SyncAndPlace());
}

void PendingCopies::CommitInBackground() {
    FinishSync();
    StartSync();
}

void PendingCopies::PlaceIfSynced() {
    if (m_sync.valid() && m_sync.wait_for(std::chrono::seconds(0)) == std::future_status::ready) FinishSync();
}

void PendingCopies::TakeBatch() {
    m_syncing.swap(m_files);
    m_policy.Emptied();
}

void PendingCopies::StartSync() {
    if (m_files.empty()) return;
    TakeBatch();
    // The other thread waits for the disk, then gives the batch its names, so that this one goes
    // on copying meanwhile: a name costs as much work in the folder as the copy's creation. The
    // batch and the names placed are left alone here until FinishSync has its answer.
    m_sync = std::async(std::launch::async, [this] { return SyncAndPlace(); });
}

// Gives each durable copy of the batch its final name, in order, up to the first failure, which
// is kept for the copying thread to report.
PendingCopies::Outcome PendingCopies::SyncAndPlace() {
    Outcome done{MakeDurable(m_context.targetFd, m_context.syncCoversFiles, m_syncing), {}};
    try {
        // Each file is closed only once it has its final name, so its lock keeps another run's
        // clean-up away from it until then. Its data is on disk already, so close(2) has nothing
        // left to lose; an error it reports all the same is reported for that file.
        for (std::size_t i = 0; i < done.durability.durable; ++i) {
            m_naming.Place(m_syncing[i]);
            if (const int closeError = m_syncing[i].Close()) {
                throw PosixError::ForPath(InFolder(m_context.targetFolder, m_syncing[i].FinalName()), closeError);
            }
        }
    } catch (...) {
        done.failure = std::current_exception();
    }
    return done;
}

void PendingCopies::FinishSync() {
    if (m_sync.valid()) Finish(m_sync.get());
}

void PendingCopies::Finish(const Outcome& done) {
    m_fileSystemSynced = m_fileSystemSynced || done.durability.fileSystemSynced;
    // However this ends, the batch is gone afterwards: the files not named are removed with
    // their TempFile, and a second Commit after a failure has nothing left to do.
    struct Clear {
        std::deque<TempFile>& batch;
        ~Clear() { batch.clear(); }
    } clear{m_syncing};
    if (!done.failure && done.durability.error == 0) return;
    // Every copy of the batch being filled comes after the failing file in name order, so none
    // of them may take its name: they go unnamed, and the run reports this batch's failure
    // (wherever it surfaces, also out of Add for a file that has nothing to do with it).
    m_files.clear();
    m_policy.Emptied();
    if (done.failure) std::rethrow_exception(done.failure);
    throw PosixError::ForPath(InFolder(m_context.targetFolder, m_syncing[done.durability.durable].FinalName()),
                              done.durability.error);
}

}  // namespace quillmere::posix
