// PendingCopies: finished copies waiting to be made durable and renamed into place together.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <deque>
#include <exception>
#include <future>
#include <map>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/posix/TempFile.h"
#include "platform/posix/WorkFolder.h"

namespace quillmere::posix {

// Finished copies waiting, unnamed or under temporary names. A batch is made durable as a whole
// and only then given its final names, in name order: no file stands under its final name before its data is
// on disk, yet the batch costs one write-back of the file system rather than one per file.
//
// The batch is bounded by count (a folder of any size never holds more than twice that many
// files open), by bytes and by time: what a killed process or a power loss leaves unfinished is
// at most two batches, a few seconds of copying, and a large file waits for no earlier one.
//
// Within one run a copy never replaces another copy of the same run. On a destination that does
// not tell upper from lower case, "A.jra" and "a.jra" are one name; the second is refused, and
// the failure names both files. A name free before the run is only ever taken without replacing
// (linkat or RENAME_NOREPLACE); a name taken before the run is replaced only while it still reaches the
// file that stood there.
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
        if (m_raised) ::setrlimit(RLIMIT_NOFILE, &m_limit);
    }

    // Starts the copy of a file of the given size. A large file, or one that would take the batch
    // past its bytes, has the batch committed before it, which may throw for an earlier file.
    // CommitInBackground may be under way: a large file waits for it too.
    TempFile& Add(const CopyPaths& paths, off_t size, mode_t mode);
    // A copy that failed half-way; its temporary file goes with it.
    void DropLast() {
        m_bytes -= m_sizes.back();
        m_sizes.pop_back();
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
    std::size_t PlacedCount() const {
        return static_cast<std::size_t>(std::count(m_placed.begin(), m_placed.end(), '\0'));
    }

private:
    using FileId = std::pair<dev_t, ino_t>;

    // How far a batch got: its first files made durable (and, after SyncAndPlace, named), the
    // error that stopped its sync, or the failure that stopped its naming.
    struct Durability {
        std::size_t durable = 0;
        int error = 0;
        bool fileSystemSynced = false;
        std::exception_ptr failure;  // of naming a durable copy, which ended the naming there
    };
    void TakeBatch();
    void StartSync();
    Durability MakeDurable() const;
    Durability SyncAndPlace();
    void FinishSync();
    void Finish(const Durability& done);
    // Gives one durable copy its final name, or finds it there already (a whole copy of the
    // same file by another run); answers nothing or throws naming the file.
    void Place(TempFile& file);
    void Placed(const std::string& name);
    void NameTaken(TempFile& file, const struct stat* reached);
    bool ReachesCopyOfThisRun(const std::string& name) const;
    template <typename Visit>
    void ForEachPlaced(Visit visit) const;
    [[noreturn]] void ThrowClash(const std::string& name, const struct stat* reached) const;

    // Each sync of the file system costs a flush of the device whatever it writes, so small files
    // are gathered by the thousand; the batch's time bounds what a batch of them holds back.
    static constexpr std::size_t kMaxBatchFiles = 16384;

    CopyContext& m_context;
    // Declared before every copy, so that it is removed after the last temporary file in it.
    WorkFolder m_work;
    rlimit m_limit{};
    bool m_raised = false;
    bool m_fileSystemSynced = false;
    std::deque<TempFile> m_files;
    std::deque<off_t> m_sizes;
    // Fewer files than this are not worth a sync of their own, unless they are the last.
    static constexpr std::size_t kMinBatchFiles = 64;
    std::size_t m_capacity = kMaxBatchFiles;
    std::size_t m_target = kMaxBatchFiles;  // the files of the batch being filled
    std::size_t m_remaining;                // candidates not yet started
    off_t m_bytes = 0;
    std::chrono::steady_clock::time_point m_started;
    std::map<std::string, FileId> m_before;  // names taken before the run
    // This run's copies, each name followed by a NUL, in the order they were named: one small
    // block per name rather than a string and a table node per copy, as a run may name a
    // hundred thousand. Only a failure reads it through.
    std::string m_placed;
    // Their lower-case names, kept only where the folder held files before the run: every name
    // taken before is then checked against them as its copy is named.
    std::unordered_set<std::string> m_placedLower;
    std::deque<TempFile> m_syncing;  // the batch being made durable
    std::future<Durability> m_sync;
};

}  // namespace quillmere::posix
