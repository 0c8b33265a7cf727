#include "backup/FileModule.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <optional>

namespace quillmere::FileModule {
namespace {

constexpr char kMakeFolderTitle[] = "フォルダの作成";
constexpr char kCopyTitle[] = "ファイルのコピー";

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidMoment(const LocalTime& m) {
    return m.year >= 1 && m.year <= 9999 && m.month >= 1 && m.month <= 12 && m.day >= 1 &&
           m.day <= DaysInMonth(m.year, m.month) && m.hour >= 0 && m.hour <= 23 && m.minute >= 0 && m.minute <= 59 &&
           m.second >= 0 && m.second <= 59;
}

bool IsDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80;
}

// "X:\\..." or "X:/...".
bool IsDriveFolder(const std::string& path) {
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

bool EndsInSeparator(const std::string& path) {
    return !path.empty() && IsPathSeparator(path.back());
}

// What is left of a root without its separator: nothing ("/"), a drive ("C:") or a share
// ("\\server\share"). A root keeps its separator, since without it it would name another
// place (the current folder of drive C:) or none.
bool IsRootWithoutSeparator(const std::string& bare) {
    if (bare.empty()) return true;
    // A drive on Linux too, where "C:/" is the root of a Wine drive.
    if (bare.size() == 2 && bare[1] == ':' && IsDriveLetter(bare[0])) return true;
    if constexpr (kPathSeparator == '\\') {
        if (bare.back() == ':') return true;
        if (bare.size() > 2 && IsPathSeparator(bare[0]) && IsPathSeparator(bare[1])) {
            return std::count_if(bare.begin() + 2, bare.end(), IsPathSeparator) <= 1;
        }
    }
    return false;
}

// "dst/" and "dst//" (on Windows "dst\" and "dst/" too) name the folder "dst" and are looked up
// by that name, exactly as when typed without them: a listing would judge the same folder
// differently (one that may be entered but not listed, one that lists nothing). A root is
// answered unchanged. The user's own text is what is shown and stored.
std::string FolderNamed(const std::string& path) {
    const std::size_t last = path.find_last_not_of(kPathSeparators);
    const std::string bare = last == std::string::npos ? std::string() : path.substr(0, last + 1);
    return IsRootWithoutSeparator(bare) ? path : bare;
}

}  // namespace

bool FolderExists(PlatformOps& ops, const std::string& path) {
    if (FolderNamed(path) != path) {
        // Typed with trailing separators, the path can only name a folder.
        const FolderLookup folder = LookUpFolder(ops, path);
        if (folder.state == FolderState::Unknown) ops.ShowPrompt(folder.failure, PromptStyle::OkOnly, std::nullopt);
        return folder.state == FolderState::Folder;
    }
    std::optional<std::string> failure;
    try {
        if (!ops.FindFirstEntry(path, EntryAttributes::Directory).empty()) return true;
    } catch (const std::exception& e) {
        failure = e.what();
    }
    // A root is listed rather than looked up, and one that lists nothing (an empty volume) or may
    // be entered but not listed still exists. "." names the folder itself.
    if (EndsInSeparator(path)) {
        try {
            if (!ops.FindFirstEntry(path + ".", EntryAttributes::Directory).empty()) return true;
        } catch (const std::exception& e) {
            if (!failure) failure = e.what();
        }
    }
    if (failure) ops.ShowPrompt(*failure, PromptStyle::OkOnly, std::nullopt);
    return false;
}

FolderLookup LookUpFolder(PlatformOps& ops, const std::string& path) {
    const std::string folder = FolderNamed(path);
    const bool listed = EndsInSeparator(folder);  // a root
    try {
        if (!ops.FindFirstEntry(folder, EntryAttributes::Directory).empty()) {
            // A listing is only made of a folder. A name found by itself may be a file: only a
            // folder can be named with "." after it.
            if (listed || !ops.FindFirstEntry(JoinPath(folder, "."), EntryAttributes::Directory).empty()) {
                return {FolderState::Folder, {}};
            }
            return {FolderState::NotFolder, {}};
        }
        if (listed && !ops.FindFirstEntry(folder + ".", EntryAttributes::Directory).empty()) {
            return {FolderState::Folder, {}};
        }
    } catch (const std::exception& e) {
        return {FolderState::Unknown, e.what()};
    }
    return {FolderState::Missing, {}};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    // The separator is ASCII, and no byte of a multi-byte UTF-8 character is ASCII, so the last
    // byte is the separator only when the last character is.
    if (EndsInSeparator(folder)) return folder + name;
    // A Wine drive's path on Linux ("C:\\Pat98") goes on in the separator it was typed with.
    if (kPathSeparator == '/' && IsDriveFolder(folder)) {
        return folder.back() == '\\' ? folder + name : folder + folder[2] + name;
    }
    return folder + kPathSeparator + name;
}

bool MakeFolder(PlatformOps& ops, const std::string& path) {
    try {
        ops.CreateFolder(path);
        return true;
    } catch (const std::exception& e) {
        ops.ShowPrompt(e.what(), PromptStyle::OkExclamation, kMakeFolderTitle);
        return false;
    }
}

CopyOutcome CopyMatching(PlatformOps& ops, const std::string& sourceFolder, const std::string& destinationFolder,
                         const std::string& wildcard, CopyWatcher& watcher, CopyCount* count,
                         const std::string& earlierCopies) {
    // Keeps the copy's last report, read once the copy has ended (its thread has been waited
    // for): how many files it had copied.
    class LastReport final : public CopyMonitor {
    public:
        LastReport(CopyMonitor& watched, CopyProgress& last) : m_watched(watched), m_last(last) {}
        void Report(const CopyProgress& progress) override {
            m_last = progress;
            m_watched.Report(progress);
        }
        bool StopRequested() override { return m_watched.StopRequested(); }

    private:
        CopyMonitor& m_watched;
        CopyProgress& m_last;
    };
    CopyProgress last;
    CopyCount left;
    const auto counted = [&](CopyOutcome outcome) {
        left.bytes = last.bytesDone;
        if (count) *count = left;
        return outcome;
    };
    try {
        // Only the copy itself runs inside the watcher: the boxes below are shown on the
        // caller's thread, which is the window's.
        const std::string pattern = JoinPath(sourceFolder, wildcard);
        watcher.WatchCopy(destinationFolder, [&](CopyMonitor& monitor) {
            LastReport reported(monitor, last);
            if (earlierCopies.empty()) {
                ops.CopyMatching(pattern, destinationFolder, true, reported);
            } else {
                ops.CopyMatchingSharing(pattern, destinationFolder, earlierCopies, reported);
            }
        });
        left.files = last.filesDone;
        return counted(CopyOutcome::Copied);
    } catch (const CopyStopped& stopped) {
        ops.ShowPrompt("バックアップを中止しました。" + std::to_string(stopped.FilesCopied()) +
                           " 個のファイルをコピーしました。\n" + destinationFolder,
                       PromptStyle::OkExclamation, kBackupTitle);
        left.files = stopped.FilesCopied();
        return counted(CopyOutcome::Stopped);
    } catch (const std::exception& e) {
        // The copy stops at the failing file: the user is told how far it got, so that nobody
        // takes the stamp folder for a whole backup.
        ops.ShowPrompt(std::string(e.what()) + "\n" + std::to_string(last.filesDone) +
                           " 個のファイルをコピーしました。残りのファイルはコピーしていません。",
                       PromptStyle::OkExclamation, kCopyTitle);
        left.files = last.filesDone;
        left.failure = e.what();
        return counted(CopyOutcome::Failed);
    }
}

void RemoveLeftoverCopies(PlatformOps& ops, const std::string& destination) {
    // Every name StampName makes matches this pattern. A killed run's leftovers stand in the
    // newest stamp folders, since every run clears them before it copies, so the platform reads
    // only the last few folders in name order: the newest stamps.
    ops.RemoveLeftoverCopies(JoinPath(destination, "????????_??????"));
}

std::string StampName(const LocalTime& moment) {
    if (!IsValidMoment(moment)) return {};
    char stamp[64];  // room for any int, though the fields are checked above
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d%02d", moment.year, moment.month, moment.day, moment.hour,
                  moment.minute, moment.second);
    return stamp;
}

}  // namespace quillmere::FileModule
