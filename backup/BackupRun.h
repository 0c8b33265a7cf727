// BackupRun: what the Execute button does.
//
// It reads the three inputs from its window (trimmed and, for the folders, made absolute, afresh at
// every use), checks them in a fixed order, then sets the hourglass, creates a stamp folder named
// after the local time inside the destination, records the run in it, copies the matching files
// into it, records how the copy ended, removes the old backups the retention limits let go (after
// a completed copy only), stores the inputs and resets the pointer.
#pragma once

#include <optional>
#include <string>

#include "backup/CopyWatcher.h"
#include "backup/RetentionRule.h"
#include "backup/RunRecord.h"
#include "platform/PlatformOps.h"

namespace quillmere {

enum class BackupInput { SourceFolder, DestinationFolder, FileType };

// What the run needs of its window; the main window implements it, tests implement it too.
// It also watches the copy (see CopyWatcher).
class BackupWindow : public CopyWatcher {
public:
    ~BackupWindow() override = default;
    virtual std::string InputText(BackupInput input) const = 0;
    virtual void FocusInput(BackupInput input) = 0;
    virtual void SetMousePointer(MousePointer pointer) = 0;
    // The folders as the run used and stored them (absolute), once they are stored, so that the
    // window shows what the next run will take.
    virtual void ShowFoldersUsed(const std::string& source, const std::string& destination) = 0;
};

// What a relative folder text is taken against: in the window the user's home folder, in a command
// the folder it was started in, as every command-line tool does.
enum class RelativeTo { HomeFolder, WorkingFolder };

// How a run ended, for a caller that acts on it (the command-line program's exit status). The
// user has been told about every failure already.
enum class BackupOutcome {
    Refused,    // an input check refused the inputs (or the user declined to create the destination)
    Completed,  // the stamp folder holds a copy of every matching file
    Failed,     // the stamp folder or a copy failed
    Stopped,    // the user or a stop signal stopped the copy; the finished copies stay
};

struct BackupResult {
    BackupOutcome outcome;
    std::string stampFolder;     // empty when no stamp folder was made
    bool inputsStored;           // false when they were not stored (refused) or could not be
    bool oldRunsRemoved = true;  // false when an old backup the limits let go stays, whole or in part
};

class BackupRun {
public:
    BackupRun(PlatformOps& ops, BackupWindow& window, RelativeTo relativeTo = RelativeTo::HomeFolder);
    BackupResult Run();
    // Retention limits for this run in place of the stored ones; they are stored with the inputs.
    void SetRetention(const RetentionOverride& given) { m_retention = given; }
    // Stores the three inputs as a run that got past its checks does; a failure is shown, and
    // answered with false.
    bool SaveLastExec();
    // Whether unchanged files are taken from the earlier backup, as told (the command line's
    // option) rather than as stored; stored with the inputs.
    void SetShareUnchanged(bool share) { m_shareGiven = share; }

private:
    bool CheckInputs();
    std::string GetSrcFolder() const;
    std::string GetDstFolder() const;
    std::string GetFileType() const;
    std::string DstVolume() const;
    // Shows a failure nobody else reports in a box titled "Quillmere".
    void ShowFailure(const std::string& description);
    // Writes the run's record; a failure is shown. Answers whether it was written.
    bool WriteRecord(const std::string& stampFolder, const RunRecord& record, bool live);
    // Removes the old backups the limits let go; a failure is shown. Answers whether all went.
    bool RemoveOldRuns(const std::string& destination, const std::string& stamp, const LocalTime& started);

    std::string Absolute(BackupInput input) const;

    PlatformOps& m_ops;
    BackupWindow& m_window;
    std::string m_home;
    std::string m_base;  // what relative folders are taken against
    RetentionOverride m_retention;
    std::optional<bool> m_shareGiven;
};

}  // namespace quillmere
