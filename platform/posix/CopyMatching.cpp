// The never-torn copy of every matching file: each copy is written unnamed (or under a temporary
// name) and takes its final name only when its data is durable.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/CopyTracker.h"
#include "platform/SystemFilesNative.h"
#include "platform/Wildcard.h"
#include "platform/posix/FallBack.h"
#include "platform/posix/FolderSync.h"
#include "platform/posix/PendingCopies.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/SourcePattern.h"
#include "platform/posix/TimeGrain.h"
#include "platform/posix/UnchangedCopy.h"

namespace quillmere::SystemFiles {
namespace {

using namespace quillmere::posix;

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// A file changed within its file system's time grain (and the quiet time after a write) of the
// moment its copy starts is taken as changing: a rewrite during the copy could leave its times
// as they were, and only a copy started later can trust them to move.
bool ChangedTooRecently(const struct stat& file, const timespec& start, ChangingFile::TimeGrain grain) {
    const std::int64_t now = Nanoseconds(start);
    return ChangingFile::TooRecent(Nanoseconds(file.st_ctim), now, grain) ||
           ChangingFile::TooRecent(Nanoseconds(file.st_mtim), now, grain);
}

// The umask, read where it cannot change it (umask(2) sets it while it reads, for every thread);
// nothing when the folder has a default ACL, which decides a new file's permissions instead.
std::optional<mode_t> CreationMask(int folderFd) {
    if (::fgetxattr(folderFd, "system.posix_acl_default", nullptr, 0) >= 0 || !IsAclAbsent(errno)) {
        return std::nullopt;
    }
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
    return std::nullopt;
}

// Copies one file into a temporary file of the batch, with its time and mode. A file that is not
// regular after all is passed over. Answers false, leaving nothing in the batch, when the file
// changed while it was read.
bool TryCopyToTemp(CopyContext& context, const std::string& name, PendingCopies& pending) {
    const CopyPaths paths{context.sourceFolder, context.targetFolder, name};
    // Read before the file is looked at: a write after that look lands after this moment.
    timespec start{};
    ::clock_gettime(CLOCK_REALTIME, &start);

    // O_NONBLOCK: should the entry have turned into a FIFO since it was listed, opening it must
    // not wait for a writer. For a regular file the flag changes nothing.
    FileDescriptor in(::openat(context.sourceFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in.IsOpen()) throw PosixError::ForPath(paths.Source(), errno);
    struct stat before {};
    if (::fstat(in.Get(), &before) != 0) throw PosixError::ForPath(paths.Source(), errno);
    if (!S_ISREG(before.st_mode)) return true;
    if (ChangedTooRecently(before, start, context.sourceGrain)) return false;
    if (const int error = in.MakeBlocking()) throw PosixError::ForPath(paths.Source(), error);

    if (!context.overwrite) {
        struct stat existing {};
        if (::fstatat(context.targetFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            throw PosixError::ForPath(paths.Target(), EEXIST);
        }
    }

    const mode_t mode = before.st_mode & 0777;
    const Unchanged taken =
        context.earlierFd >= 0 ? TakeUnchanged(context, paths, before, pending) : Unchanged::NotTaken;
    if (taken != Unchanged::NotTaken && context.progress) {
        context.progress->Moved(static_cast<std::uint64_t>(before.st_size));
    }
    if (taken == Unchanged::Linked) return true;
    TempFile& temp = taken == Unchanged::Cloned ? pending.Last() : pending.Add(paths, before.st_size, mode);
    try {
        if (taken == Unchanged::NotTaken) {
            const off_t copied = CopyData(in.Get(), temp.Fd(), before.st_size, context, paths);

            // A file written to while it was read would give a copy that is neither its old nor
            // its new content; it is never kept under the final name.
            struct stat after {};
            if (::fstat(in.Get(), &after) != 0) throw PosixError::ForPath(paths.Source(), errno);
            if (copied != before.st_size || after.st_size != before.st_size ||
                !SameTime(after.st_mtim, before.st_mtim) || !SameTime(after.st_ctim, before.st_ctim)) {
                pending.DropLast();
                return false;
            }
        }

        // The access time is set too (to now: the copy was just written), not left out: a FUSE
        // file system such as exfat-fuse ignores a change of the modification time alone, and the
        // copy would keep the time it was written.
        const timespec times[2] = {{0, UTIME_NOW}, before.st_mtim};
        if (::futimens(temp.Fd(), times) != 0 && !IsTimeSettingUnsupported(errno)) {
            throw PosixError::ForPath(paths.Target(), errno);
        }
        // Permission bits are kept where the file system can hold them; FAT media and some network
        // shares refuse any change, which must not stop a backup onto them. An unnamed copy was
        // made with them, and needs them set again only where the umask took some away.
        if (!temp.Unnamed() || !context.creationMask || (mode & *context.creationMask) != 0) {
            (void)::fchmod(temp.Fd(), mode);
        }
    } catch (...) {
        pending.DropLast();
        throw;
    }
    return true;
}

// The odds files are rewritten by their own program from time to time, so a file caught changing
// is tried again after a pause, opened anew by its name each time: one replaced whole by a rename
// is then read in its new version. Only a file that keeps changing is reported, and the files
// after it are not held up by a single rewrite.
void CopyToTemp(CopyContext& context, const std::string& name, PendingCopies& pending) {
    const std::int64_t pauseNs = ChangingFile::PauseNs(context.sourceGrain);
    for (int attempt = 1;; ++attempt) {
        if (TryCopyToTemp(context, name, pending)) return;
        if (attempt == ChangingFile::kTries) {
            throw PosixError::ForPath(InFolder(context.sourceFolder, name), ChangingFile::kStillChanging);
        }
        // The pause is slept in short slices, so that a stop asked for meanwhile is seen as soon
        // as between chunks of a copy, also where a coarse file system makes it seconds long. A
        // signal cuts a slice short; the next try then comes sooner, which does no harm.
        for (std::int64_t left = pauseNs; left > 0; left -= ChangingFile::kPauseNs) {
            const timespec slice{0, static_cast<long>(std::min(left, ChangingFile::kPauseNs))};
            ::nanosleep(&slice, nullptr);
            if (context.progress) context.progress->CheckStop();
        }
    }
}

}  // namespace

void Native::CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                          CopyMonitor& monitor, const std::string& earlierCopies) {
    const PatternParts parts = Split(sourcePattern);

    // The destination is opened once, and a link standing at its last component is refused: the
    // stamp folder's name is predictable, and a link planted there would send every copy into
    // whatever folder it names. Each copy is then created, written and renamed relative to this
    // handle, so the folder cannot be swapped for a link half-way either.
    FileDescriptor target(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!target.IsOpen()) {
        const int error = errno;
        struct stat st {};
        if ((error == ELOOP || error == ENOTDIR) && ::lstat(destination.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            throw PosixError::ForPath(destination, "シンボリックリンクなので、その先には書き込みません");
        }
        throw PosixError::ForPath(destination, error);
    }

    FolderReader source;
    if (!source.Open(parts.folder)) throw PosixError::ForPath(parts.folder, errno);

    EntryList candidates;
    if (Wildcard::HasWildcards(parts.last)) {
        const Wildcard::Pattern wildcard(parts.last);
        candidates = source.Entries([&](std::string_view name) { return wildcard.Matches(name); });
    } else if (!parts.last.empty()) {
        candidates.push_back({parts.last, DT_UNKNOWN});
    }

    CopyContext context{source.Fd(), parts.folder, target.Get(), destination, overwrite, SyncCoversFiles(target.Get()),
                        {}};
    // An unnamed copy is linked in through its descriptor's entry under /proc; without /proc
    // (a bare chroot) every copy takes a temporary name.
    context.unnamed = ::access("/proc/self/fd", X_OK) == 0;
    context.creationMask = CreationMask(target.Get());
    context.sourceGrain = TimeGrainOf(source.Fd());
    // The earlier backup is only read, and not through a link at its own name either. One that
    // cannot be opened (removed since) takes nothing from it: every file is copied.
    FileDescriptor earlier;
    if (!earlierCopies.empty()) {
        earlier = FileDescriptor(::open(earlierCopies.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat targetStat {};
        if (earlier.IsOpen() && ::fstat(target.Get(), &targetStat) == 0) {
            context.earlierFd = earlier.Get();
            context.targetDevice = targetStat.st_dev;
            context.mayLinkEarlier = context.unnamed && CanLinkOpenFiles(target.Get());
        }
    }
    PendingCopies pending(context, candidates);
    CopyTracker progress(monitor, destination);
    context.progress = &progress;
    // The totals are only for the progress shown; an entry that cannot be looked at now is
    // counted as nothing here and fails in its turn below.
    for (const Entry& entry : candidates) {
        struct stat st {};
        if (::fstatat(source.Fd(), entry.name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode)) {
            progress.Expect(static_cast<std::uint64_t>(st.st_size));
        }
    }
    bool anyFile = false;
    try {
        // Each entry is told apart only when its turn comes: an entry that cannot be looked at
        // (a link into a folder that may not be searched) then fails after the copies before it
        // are in place, as any other failing file does.
        for (const Entry& entry : candidates) {
            try {
                progress.StartFile(entry.name);
                if (source.KindOf(entry) != Kind::Regular) continue;
                anyFile = true;
                CopyToTemp(context, entry.name, pending);
                progress.FileDone();
            } catch (const PlatformError&) {
                // The copies finished before the failing one stay, as they would have had each
                // been renamed into place on its own. Should one of them fail now, it is the
                // first failure and the one reported. A failure of a batch made durable in the
                // background, thrown from here, has dropped every later copy already, so this
                // names nothing after it.
                pending.Commit();
                throw;
            }
            if (pending.Full()) {
                pending.CommitInBackground();
            } else {
                pending.PlaceIfSynced();
            }
        }
        pending.Commit();
    } catch (const PlatformError&) {
        // The copies renamed into place before the failure stay; make their names durable too.
        // The failure being thrown is the one reported; one of this sync would only hide it.
        (void)SyncCopiedNames(target.Get(), pending.FileSystemSynced());
        // The user is told how many: the copies done but never named are not among them.
        progress.Failed(pending.PlacedCount());
        throw;
    }
    if (!anyFile) throw PosixError::ForPath(sourcePattern, ENOENT);
    if (const int error = SyncCopiedNames(target.Get(), pending.FileSystemSynced())) {
        throw PosixError::ForPath(destination, error);
    }
    progress.Finish();
}

}  // namespace quillmere::SystemFiles
