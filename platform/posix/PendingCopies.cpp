#include "platform/posix/PendingCopies.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <future>
#include <string_view>

#include "platform/CopyClash.h"
#include "platform/Wildcard.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/TakenName.h"

namespace quillmere::posix {
namespace {

// About two seconds of copying on a disk. A file that alone may take a second or more on a slow
// USB stick starts a batch of its own, so no finished copy waits for it.
constexpr off_t kBatchBytes = off_t{256} << 20;
constexpr off_t kLargeFile = off_t{16} << 20;
constexpr std::chrono::seconds kBatchTime{2};

bool SameFile(const struct stat& st, const std::pair<dev_t, ino_t>& id) {
    return st.st_dev == id.first && st.st_ino == id.second;
}

}  // namespace

PendingCopies::PendingCopies(CopyContext& context, const EntryList& candidates)
    : m_context(context), m_work(context.targetFd), m_remaining(candidates.size()) {
    // Every waiting copy holds a descriptor. A shell's soft limit of 1024 would cut each batch to
    // a quarter and make a large run sync four times as often, so the limit is raised for the
    // run, towards the hard limit and no further than a full batch needs, and put back after it:
    // programs started later get the limit the program had.
    if (::getrlimit(RLIMIT_NOFILE, &m_limit) == 0 && m_limit.rlim_cur != RLIM_INFINITY) {
        rlimit raised = m_limit;
        // Two batches are open at once, one being copied while the other waits for the disk; the
        // rest of the program (and, in the window, the toolkit) keeps a share for itself.
        constexpr rlim_t kKept = 512;
        const rlim_t wanted = 2 * static_cast<rlim_t>(kMaxBatchFiles) + kKept;
        if (raised.rlim_cur < wanted) raised.rlim_cur = std::min(wanted, raised.rlim_max);
        m_raised = raised.rlim_cur != m_limit.rlim_cur && ::setrlimit(RLIMIT_NOFILE, &raised) == 0;
        const rlim_t allowed = m_raised ? raised.rlim_cur : m_limit.rlim_cur;
        m_capacity =
            std::clamp<std::size_t>((allowed > 2 * kKept ? allowed - kKept : allowed / 2) / 2, 1, kMaxBatchFiles);
    }
    // The table of descriptors grows by doubling as files are opened, and once a second thread
    // shares it (the one waiting for the disk) each growth waits for every processor to pass a
    // quiescent point, some 10 ms. Growing it once now, to what two batches can use, costs
    // nothing of that.
    const std::size_t open = 2 * std::min(m_capacity, candidates.size()) + 64;
    const auto highest = static_cast<int>(std::min<std::size_t>(open, std::size_t{1} << 20));
    if (const int probe = ::fcntl(context.targetFd, F_DUPFD_CLOEXEC, highest); probe >= 0) ::close(probe);
    // A new stamp folder holds nothing, and every name is free; only a folder that holds files
    // already (two runs in the same second) needs each name looked up, by the file system's own
    // rules of which names are the same.
    if (!HoldsEntries(context.targetFd, context.targetFolder)) return;
    for (const Entry& candidate : candidates) {
        struct stat st {};
        if (::fstatat(context.targetFd, candidate.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            m_before.emplace(candidate.name, FileId{st.st_dev, st.st_ino});
        }
    }
}

TempFile& PendingCopies::Add(const CopyPaths& paths, off_t size, mode_t mode) {
    // A large file starts only once every copy before it has its name, including those of a
    // batch still waiting for the disk.
    if (size >= kLargeFile) {
        Commit();
    } else if (!m_files.empty() && m_bytes + size > kBatchBytes) {
        CommitInBackground();
    }
    if (m_files.empty()) {
        m_started = std::chrono::steady_clock::now();
        // Each batch takes half of the files still to come, so the disk writes one batch back
        // while the next, half as long, is copied, and the last batch, whose sync nobody's work
        // overlaps, is a small one.
        m_target = std::clamp<std::size_t>((m_remaining + 1) / 2, std::min(kMinBatchFiles, m_capacity), m_capacity);
    }
    if (m_remaining > 0) --m_remaining;
    // A copy that replaces a file of an earlier run needs a name to rename over it; linkat(2)
    // cannot replace.
    bool named = false;
    const bool replaces = m_before.contains(paths.name);
    TempFile& file =
        m_files.emplace_back(m_context.targetFd, m_work, paths, replaces ? named : m_context.unnamed, mode);
    m_sizes.push_back(size);
    m_bytes += size;
    return file;
}

bool PendingCopies::Full() const {
    if (m_bytes >= kBatchBytes || m_files.size() >= m_capacity ||
        (!m_files.empty() && std::chrono::steady_clock::now() - m_started >= kBatchTime)) {
        return true;
    }
    if (m_files.size() < m_target) return false;
    // While the batch before still waits for the disk, handing this one over would only wait
    // for it: the copying goes on instead.
    return !m_sync.valid() || m_sync.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
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
    m_sizes.clear();
    m_bytes = 0;
}

void PendingCopies::StartSync() {
    if (m_files.empty()) return;
    TakeBatch();
    // The other thread waits for the disk, then gives the batch its names, so that this one goes
    // on copying meanwhile: a name costs as much work in the folder as the copy's creation. The
    // batch and the names placed are left alone here until FinishSync has its answer.
    m_sync = std::async(std::launch::async, [this] { return SyncAndPlace(); });
}

// Where the file system allows it, one sync of the whole file system writes every copy back
// together and flushes the device once; each file is then only asked for its own write-back
// error, which the file-system sync cannot attribute. Should that sync fail, or on any other file
// system, each file is made durable by its own fsync. Answers how many files, from the first,
// are durable, and the error of the next one.
PendingCopies::Durability PendingCopies::MakeDurable() const {
    const bool synced = m_context.syncCoversFiles && ::syncfs(m_context.targetFd) == 0;
    Durability result;
    result.fileSystemSynced = synced;
    for (; result.durable < m_syncing.size(); ++result.durable) {
        const TempFile& file = m_syncing[result.durable];
        const unsigned waitForWriteBack =
            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
        if ((synced ? ::sync_file_range(file.Fd(), 0, 0, waitForWriteBack) : ::fsync(file.Fd())) != 0) {
            result.error = errno;
            break;
        }
    }
    return result;
}

// Gives each durable copy of the batch its final name, in order, up to the first failure, which
// is kept for the copying thread to report.
PendingCopies::Durability PendingCopies::SyncAndPlace() {
    Durability done = MakeDurable();
    try {
        // Each file is closed only once it has its final name, so its lock keeps another run's
        // clean-up away from it until then. Its data is on disk already, so close(2) has nothing
        // left to lose; an error it reports all the same is reported for that file.
        for (std::size_t i = 0; i < done.durable; ++i) {
            Place(m_syncing[i]);
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

void PendingCopies::Finish(const Durability& done) {
    m_fileSystemSynced = m_fileSystemSynced || done.fileSystemSynced;
    // However this ends, the batch is gone afterwards: the files not named are removed with
    // their TempFile, and a second Commit after a failure has nothing left to do.
    struct Clear {
        std::deque<TempFile>& batch;
        ~Clear() { batch.clear(); }
    } clear{m_syncing};
    if (!done.failure && done.error == 0) return;
    // Every copy of the batch being filled comes after the failing file in name order, so none
    // of them may take its name: they go unnamed, and the run reports this batch's failure
    // (wherever it surfaces, also out of Add for a file that has nothing to do with it).
    m_files.clear();
    m_sizes.clear();
    m_bytes = 0;
    if (done.failure) std::rethrow_exception(done.failure);
    throw PosixError::ForPath(InFolder(m_context.targetFolder, m_syncing[done.durable].FinalName()), done.error);
}

void PendingCopies::Place(TempFile& file) {
    const std::string& name = file.FinalName();
    bool replace = false;
    if (m_context.overwrite) {
        if (const auto earlier = m_before.find(name); earlier != m_before.end()) {
            struct stat now {};
            if (::fstatat(m_context.targetFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
                // Another file than the one that stood there before the run: a copy of this run
                // that the file system takes for the same name.
                if (!SameFile(now, earlier->second) || ReachesCopyOfThisRun(name)) return NameTaken(file, &now);
                replace = true;
            }
        }
    }
    if (const int renameError = file.Commit(replace)) {
        if (renameError == EEXIST && m_context.overwrite) return NameTaken(file, nullptr);
        throw PosixError::ForPath(InFolder(m_context.targetFolder, name), renameError);
    }
    Placed(name);
}

void PendingCopies::Placed(const std::string& name) {
    m_placed.append(name).push_back('\0');
    if (!m_before.empty()) m_placedLower.insert(AsciiLower(name));
}

// The name reaches another file than the one it reached before the run. Spelled as this copy's
// name, it was taken during the run: by another writer, or by a second run started in the same
// second, whose whole copy of the same file counts as this one (this one goes unnamed). Spelled
// otherwise, the file system takes both spellings for one name.
// The folder is read only on the way to a failure: two runs in one folder meet every name so.
void PendingCopies::NameTaken(TempFile& file, const struct stat* reached) {
    const std::string& name = file.FinalName();
    bool twin = false;  // a copy of this run whose name differs only in case
    ForEachPlaced([&](std::string_view placed) {
        twin = twin ||
               (placed.size() == name.size() && placed != name && AsciiLower(std::string(placed)) == AsciiLower(name));
    });
    if (!twin && HoldsSameCopy(m_context.targetFd, name, file.Fd())) return Placed(name);
    if (!HoldsSpelling(m_context.targetFd, m_context.targetFolder, name)) ThrowClash(name, reached);
    throw PosixError::ForPath(InFolder(m_context.sourceFolder, name),
                              CopyClash::TakenReason(InFolder(m_context.targetFolder, name)));
}

template <typename Visit>
void PendingCopies::ForEachPlaced(Visit visit) const {
    for (std::size_t at = 0; at < m_placed.size();) {
        const std::size_t end = m_placed.find('\0', at);
        visit(std::string_view(m_placed).substr(at, end - at));
        at = end + 1;
    }
}

// A FUSE file system may number one file differently under each spelling of its name, so the
// same file number proves nothing there. A copy of this run spelled otherwise only in case, while
// the folder holds no entry spelled as this name, shows that the name reaches that copy.
// No name is copied twice in one run, so a copy of this run with the same lower-case name is
// spelled otherwise.
bool PendingCopies::ReachesCopyOfThisRun(const std::string& name) const {
    return m_placedLower.contains(AsciiLower(name)) && !HoldsSpelling(m_context.targetFd, m_context.targetFolder, name);
}

void PendingCopies::ThrowClash(const std::string& name, const struct stat* reached) const {
    struct stat st {};
    if (!reached && ::fstatat(m_context.targetFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) reached = &st;
    // The earlier copy is the one the name now reaches; where the file system numbers a file
    // differently under each spelling of its name (FUSE), the copy whose name differs only in
    // case is taken.
    // The copies are looked up by name only here, once, on the way to a failure.
    std::string earlier;
    if (reached) {
        ForEachPlaced([&](std::string_view placed) {
            struct stat st {};
            if (earlier.empty() &&
                ::fstatat(m_context.targetFd, std::string(placed).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                SameFile(st, {reached->st_dev, reached->st_ino})) {
                earlier = placed;
            }
        });
    }
    const std::string lower = AsciiLower(name);
    ForEachPlaced([&](std::string_view placed) {
        if (earlier.empty() && AsciiLower(std::string(placed)) == lower) earlier = placed;
    });
    if (earlier.empty() && !Wildcard::HasWildcards(name)) {
        std::string matched;
        ForEachPlaced([&](std::string_view placed) {
            if (Wildcard::Matches(name, placed)) matched = placed;
        });
        earlier = matched;
    }
    const std::string earlierPath = InFolder(m_context.targetFolder, earlier.empty() ? name : earlier);
    throw PosixError::ForPath(InFolder(m_context.sourceFolder, name), CopyClash::Reason(earlierPath));
}

}  // namespace quillmere::posix
