// PlatformOps: the operations of the system that the backup run and the windows use, and the
// codes they exchange (prompt styles and answers, search attributes, mouse pointers). The codes
// keep the numbers the settings-era callers and the logs know them by.
// Everything the program does to the outside world goes through this one interface, so the run
// can be driven by a recording fake in tests and by the real system in the program.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quillmere {

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// A failing operation throws this; what() is the text shown to the user: the path the failure
// concerns and the system's own reason.
class PlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Message box styles: the buttons in the low four bits, the icon in the next three.
enum class PromptStyle { OkOnly = 0, YesNoQuestion = 36, OkExclamation = 48 };

// The button that closed a message box.
enum class PromptAnswer { Ok = 1, Yes = 6, No = 7 };

// What FindFirstEntry looks for.
enum class EntryAttributes {
    Normal = 0,      // ordinary, visible files only
    Directory = 16,  // folders as well
};

enum class MousePointer { Default = 0, Hourglass = 11 };

// How a launched program's window opens.
enum class ShowMode { Normal = 5 };

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// The system takes "/" as well, and a path pasted from elsewhere may hold it.
inline constexpr char kPathSeparators[] = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr char kPathSeparators[] = "/";
#endif

inline constexpr bool IsPathSeparator(char c) {
    return c == kPathSeparator || (c == '/' && kPathSeparator == '\\');
}

class CopyMonitor;

// The record of a run as its stamp folder keeps it, and whether the run that writes it still
// lives (it holds the record's lock from its first write until its last).
struct StoredRunRecord {
    std::string text;
    bool live = false;
};

// The bytes of the files of a folder: those it holds alone, and those other names share (a link
// count above 1: the file stands in another backup too, and takes its room only once).
struct FolderSpace {
    std::uint64_t own = 0;
    std::uint64_t shared = 0;
};

class PlatformOps {
public:
    virtual ~PlatformOps() = default;
    virtual PromptAnswer ShowPrompt(const std::string& text, PromptStyle style,
                                    const std::optional<std::string>& title) = 0;
    virtual std::string FindFirstEntry(const std::string& pattern, EntryAttributes attributes) = 0;
    virtual void CreateFolder(const std::string& path) = 0;
    // Reports its progress to the monitor and stops when the monitor asks (see CopyMonitor.h).
    virtual void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                              CopyMonitor& monitor) = 0;
    // The same, replacing same-named files, but a file unchanged since its copy in earlierCopies
    // (an earlier backup of the same destination) is taken from that copy: cloned or linked where
    // the file system allows it, copied elsewhere (see SystemFiles::CopyMatching). A store that
    // cannot share copies everything.
    virtual void CopyMatchingSharing(const std::string& sourcePattern, const std::string& destination,
                                     const std::string& /*earlierCopies*/, CopyMonitor& monitor) {
        CopyMatching(sourcePattern, destination, true, monitor);
    }
    // Housekeeping that reports nothing, so a fake may leave it out.
    virtual void RemoveLeftoverCopies(const std::string& /*folderPattern*/) {}
    virtual LocalTime CurrentLocalTime() = 0;
    virtual std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                                    const std::string& defaultValue) = 0;
    virtual void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                              const std::string& value) = 0;
    // Several keys of one section, in order. A store that can keep them in one durable write
    // does so; this one writes them key by key and stops at the first failure.
    virtual void WriteSettings(const std::string& app, const std::string& section,
                               const std::vector<std::pair<std::string, std::string>>& values) {
        for (const auto& [key, value] : values) WriteSetting(app, section, key, value);
    }
    virtual void LaunchCommand(const std::string& commandLine, ShowMode showMode) = 0;
    // Which file system holds the existing folder, as a text that stays the same as long as the
    // same file system holds it and differs once another one does (an unplugged disk's mount
    // point): its UUID or volume serial where it has one, else its device and mount point.
    virtual std::string FolderIdentity(const std::string& folder) = 0;

    // The folders a relative folder text is taken against; "" where the system cannot tell (or a
    // fake leaves them out), and the text is then used as typed.
    virtual std::string HomeFolder() { return {}; }
    virtual std::string WorkingFolder() { return {}; }
    // Where the system's operations look for a folder text. On Linux a Windows drive path
    // ("C:\...") is a folder of the user's Wine drive; every other text is where it says.
    virtual std::string SystemPath(const std::string& path) { return path; }

    // The record of a run, in a hidden folder of its stamp folder (a backup copies only files, so
    // no copy can be taken for it or clash with it). Each write replaces the record durably:
    // either the old or the new text is there at every moment. From a write with live set until
    // the next write without it, or until the process ends, the run holds the record's lock.
    virtual void WriteRunRecord(const std::string& stampFolder, const std::string& text, bool live) = 0;
    // The record of the stamp folder, or nullopt when it has none.
    virtual std::optional<StoredRunRecord> ReadRunRecord(const std::string& stampFolder) = 0;
    // The names of the folders in the folder, in name order; links to folders are not folders.
    virtual std::vector<std::string> ListFolders(const std::string& folder) = 0;
    // Removes the stamp folder named stamp in destination as an old backup: all it holds, a link
    // as a link (never what it points to), nothing of another file system mounted in it, and the
    // record last. Answers "" once the folder is gone whole; else the first thing that could not
    // be removed, with its path and the system's reason, and the record stays with what is left.
    // Throws, having removed nothing, when the name is no folder (a link is none), holds no
    // record, or its run still holds the record.
    virtual std::string RemoveRunFolder(const std::string& destination, const std::string& stamp) = 0;
    // The space of the files directly in the folder, links not followed; a store that cannot
    // tell answers nothing. Throws naming the folder and the reason.
    virtual std::optional<FolderSpace> SpaceOf(const std::string& /*folder*/) { return std::nullopt; }
};

}  // namespace quillmere
