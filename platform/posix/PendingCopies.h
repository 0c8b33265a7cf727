// PendingCopies: finished copies waiting to be made durable and renamed into place together.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <deque>
#include <exception>
#include <future>

#include "platform/posix/BatchPolicy.h"
#include "platform/posix/CopyNaming.h"
#include "platform/posix/Durability.h"
#include "platform/posix/OpenFileBudget.h"
#include "platform/posix/TempFile.h"
#include "platform/posix/WorkFolder.h"

namespace quillmere::posix {

// Finished copies waiting, unnamed or under temporary names. A batch is made durable as a whole
// (Durability) and only then given its final names, in name order (CopyNaming): no file stands
// under its final name before its data is on disk, yet the batch costs one write-back of the
// file system rather than one per file. BatchPolicy says when a batch is handed over.
class PendingCopies {
public:
    // Notes which of the candidates' names the destination holds before anything is copied.
    PendingCopies(CopyContext& context, const EntryList& candidates);
    PendingCopies(const PendingCopies&) = delete;
    PendingCopies& operator=(const PendingCopies&) = delete;
    ~PendingCopies() {
        if (m_sync.valid()) m_sync.wait();
        m_syncing.clear();
        m_files.clear();
    }

    // Starts the copy of a file of the given size. A large file, or one that would take the batch
    // past its bytes, has the batch committed before it, which may throw for an earlier file.
    // CommitInBackground may be under way: a large file waits for it too.
    TempFile& Add(const CopyPaths& paths, off_t size, mode_t mode);
    // Another name for an existing file of the destination's file system, given like a copy's.
    void AddLink(const CopyPaths& paths, FileDescriptor linked);
    // Whether the name stood in the destination before the run (see CopyNaming).
    bool TakenBefore(const std::string& name) const { return m_naming.TakenBefore(name); }
    TempFile& Last() { return m_files.back(); }
    // A copy that failed half-way; its temporary file goes with it.
    void DropLast() {
        m_policy.DroppedLast();
        m_files.pop_back();
    }
    bool Full() const;

    // Makes every waiting copy durable, then gives each its final name. When one fails, those
    // before it are still named (they are whole and durable) and the failure names that file;
    // the temporary files of the rest are removed. Nothing waits afterwards either way.
    void Commit();
    // The same for a full batch, in another thread (the wait for the disk and the naming): the
    // next batch is copied meanwhile, and its files are named once this one's are. A batch still
    // under way there is finished first, and its failure thrown here. Once a batch has failed,
    // the copies waiting behind it (all later in name order) are dropped unnamed, wherever its
    // failure surfaces: from here, Commit, PlaceIfSynced or Add.
    void CommitInBackground();
    // Takes the answer of the other thread's batch, if it is done; answers at once.
    void PlaceIfSynced();
    // Whether a batch was made durable by a sync of the whole file system, which wrote back
    // every folder's names with it.
    bool FileSystemSynced() const { return m_fileSystemSynced; }
    // The copies of this run named so far. Nothing may be under way in the other thread.
    std::size_t PlacedCount() const { return m_naming.PlacedCount(); }

private:
    // How far a batch got: its first files made durable and (after SyncAndPlace) named, the
    // error that stopped its sync, or the failure that stopped its naming.
    struct Outcome {
        Durability durability;
        std::exception_ptr failure;  // of naming a durable copy, which ended the naming there
    };
    void TakeBatch();
    void StartSync();
    Outcome SyncAndPlace();
    bool EarlierSyncing() const;
    void FinishSync();
    void Finish(const Outcome& done);

    CopyContext& m_context;
    // Raised before the first copy is opened and put back after the last is closed.
    OpenFileBudget m_budget;
    // Declared before every copy, so that it is removed after the last temporary file in it.
    WorkFolder m_work;
    BatchPolicy m_policy;
    CopyNaming m_naming;
    bool m_fileSystemSynced = false;
    std::deque<TempFile> m_files;
    std::deque<TempFile> m_syncing;  // the batch being made durable
    std::future<Outcome> m_sync;
};

}  // namespace quillmere::posix
