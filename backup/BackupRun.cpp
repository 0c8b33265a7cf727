#include "backup/BackupRun.h"

#include <exception>
#include <utility>
#include <vector>

#include "backup/FileModule.h"
#include "backup/FileTypeText.h"
#include "backup/FolderText.h"
#include "backup/OldRuns.h"
#include "backup/RunRecord.h"
#include "backup/ShareSource.h"
#include "platform/NulByte.h"
#include "platform/ProgramInfo.h"
#include "settings/SettingsLayout.h"

namespace quillmere {
namespace {

constexpr char kNoSource[] = "コピー元フォルダが指定されていません。";
constexpr char kNoDestination[] = "コピー先フォルダが指定されていません。";
constexpr char kSourceMissing[] = "コピー元フォルダが存在しません。";
constexpr char kCreateDestination[] = "コピー先フォルダが存在しません。作成しますか？";
constexpr char kNoFileType[] = "ファイル種別が指定されていません。";
constexpr char kNoMatchingFile[] = "コピー元フォルダに該当ファイルが存在しません。";
constexpr char kNoStamp[] = "現在の日時からフォルダ名を作れません。時計の設定を確かめてください。";
constexpr char kSourceHasNul[] = "コピー元フォルダに使えない文字 (NUL) が含まれています。";
constexpr char kDestinationHasNul[] = "コピー先フォルダに使えない文字 (NUL) が含まれています。";
constexpr char kFileTypeHasNul[] = "ファイル種別に使えない文字 (NUL) が含まれています。";
constexpr char kFileTypeHasSeparator[] =
    "ファイル種別にフォルダの区切り文字は使えません。コピー元フォルダの中のファイル名の形 (*.jra など) "
    "で指定してください。";
constexpr char kFileTypeTooLong[] =
    "ファイル種別が長すぎます。ファイル名の長さの上限 (255 文字) までで指定してください。";
constexpr char kDestinationNotFolder[] = "コピー先フォルダがフォルダではありません。\n";
constexpr char kDestinationUnknown[] = "コピー先フォルダを確かめられません。\n";
constexpr char kSettingsNotSaved[] = "入力内容を保存できませんでした。";
constexpr char kRecordNotWritten[] = "実行の記録を書き込めませんでした。";
constexpr char kOldRunsNotRemoved[] = "バックアップは完了しましたが、古いバックアップを削除できませんでした。";

}  // namespace

BackupRun::BackupRun(PlatformOps& ops, BackupWindow& window, RelativeTo relativeTo)
    : m_ops(ops),
      m_window(window),
      m_home(ops.HomeFolder()),
      m_base(relativeTo == RelativeTo::HomeFolder ? m_home : ops.WorkingFolder()) {}

// Every check, the copy and the store see the folder as made absolute here, so a run started from
// another folder (a timer's) takes the same folders as the one that stored them.
std::string BackupRun::Absolute(BackupInput input) const {
    return FolderText::Absolute(FolderText::TrimSpaces(m_window.InputText(input)), m_base, m_home);
}

// A file system that cannot be named is stored as unknown (""), which the next run accepts,
// rather than keeping the name of one that may hold another destination.
std::string BackupRun::DstVolume() const {
    try {
        return m_ops.FolderIdentity(GetDstFolder());
    } catch (const PlatformError&) {
        return {};
    }
}

std::string BackupRun::GetSrcFolder() const {
    return Absolute(BackupInput::SourceFolder);
}

std::string BackupRun::GetDstFolder() const {
    return Absolute(BackupInput::DestinationFolder);
}

std::string BackupRun::GetFileType() const {
    return FolderText::TrimSpaces(m_window.InputText(BackupInput::FileType));
}

void BackupRun::ShowFailure(const std::string& description) {
    m_ops.ShowPrompt(description, PromptStyle::OkOnly, std::nullopt);
}

// The checks run in this order so that the user is told about the first missing input in the
// order of the window's rows, and so that the question about creating the destination comes up
// only once the source is known to exist. Each check reads its inputs afresh. An input holding a
// NUL (pasted, or read from a damaged settings file) is refused before any of them reaches the
// system, which would see only the text before the NUL; so is a file type that cannot be one file
// name (see FileTypeText). These are checked before the first search, so a run refused for them
// has created nothing.
bool BackupRun::CheckInputs() {
    auto refuse = [this](const std::string& message, BackupInput focus) {
        m_ops.ShowPrompt(message, PromptStyle::OkExclamation, FileModule::kBackupTitle);
        m_window.FocusInput(focus);
        return false;
    };
    if (GetSrcFolder().empty()) return refuse(kNoSource, BackupInput::SourceFolder);
    if (NulByte::In(GetSrcFolder())) return refuse(kSourceHasNul, BackupInput::SourceFolder);
    if (GetDstFolder().empty()) return refuse(kNoDestination, BackupInput::DestinationFolder);
    if (NulByte::In(GetDstFolder())) return refuse(kDestinationHasNul, BackupInput::DestinationFolder);
    if (NulByte::In(GetFileType())) return refuse(kFileTypeHasNul, BackupInput::FileType);
    if (FileTypeText::HoldsSeparator(GetFileType())) return refuse(kFileTypeHasSeparator, BackupInput::FileType);
    if (FileTypeText::Utf16Length(GetFileType()) > FileTypeText::kMaxNameUnits) {
        return refuse(kFileTypeTooLong, BackupInput::FileType);
    }
    if (!FileModule::FolderExists(m_ops, GetSrcFolder())) return refuse(kSourceMissing, BackupInput::SourceFolder);

    // Only a destination the system says is not there is offered for creation. One that is a
    // file, or one the search cannot look at (a name longer than the system allows, a folder that
    // may not be searched), would only fail again at every step of the run: it is refused with
    // one message, before anything is created.
    const FileModule::FolderLookup destination = FileModule::LookUpFolder(m_ops, GetDstFolder());
    if (destination.state == FileModule::FolderState::NotFolder) {
        return refuse(kDestinationNotFolder + GetDstFolder(), BackupInput::DestinationFolder);
    }
    if (destination.state == FileModule::FolderState::Unknown) {
        return refuse(kDestinationUnknown + destination.failure, BackupInput::DestinationFolder);
    }
    if (destination.state == FileModule::FolderState::Missing) {
        if (m_ops.ShowPrompt(kCreateDestination, PromptStyle::YesNoQuestion, FileModule::kBackupTitle) !=
            PromptAnswer::Yes) {
            m_window.FocusInput(BackupInput::DestinationFolder);
            return false;
        }
        // Whether the folder now exists is not checked again: a failure has been shown by
        // MakeFolder, and the stamp folder's creation will show it once more.
        FileModule::MakeFolder(m_ops, GetDstFolder());
    }
    if (GetFileType().empty()) return refuse(kNoFileType, BackupInput::FileType);

    std::string firstMatch;
    try {
        firstMatch = m_ops.FindFirstEntry(FileModule::JoinPath(GetSrcFolder(), GetFileType()), EntryAttributes::Normal);
    } catch (const PlatformError& e) {
        // The search itself failed (an unreadable source folder, say): that is no missing file,
        // so say what failed rather than claim there is nothing to copy.
        ShowFailure(e.what());
        m_window.FocusInput(BackupInput::FileType);
        return false;
    }
    if (firstMatch.empty()) return refuse(kNoMatchingFile, BackupInput::FileType);
    return true;
}

// The three inputs are written in this order, each read afresh, in one write where the store
// allows it (one durable replace of the settings file rather than three), and with them the file
// system the destination is on, so that an unattended run can tell an unplugged disk's empty
// mount point from the disk. The first failure is shown once and the remaining keys are not
// tried: they would fail the same way and repeat the message.
bool BackupRun::SaveLastExec() {
    try {
        std::vector<std::pair<std::string, std::string>> values = {{SettingsLayout::kKeySrcFolder, GetSrcFolder()},
                                                                   {SettingsLayout::kKeyDstFolder, GetDstFolder()},
                                                                   {SettingsLayout::kKeyFileType, GetFileType()},
                                                                   {SettingsLayout::kKeyDstVolume, DstVolume()}};
        // Limits given for this run stay for the next ones; those not given stay as stored.
        if (m_retention.keepRuns)
            values.emplace_back(SettingsLayout::kKeyKeepRuns, std::to_string(*m_retention.keepRuns));
        if (m_retention.keepDays)
            values.emplace_back(SettingsLayout::kKeyKeepDays, std::to_string(*m_retention.keepDays));
        // A run not told otherwise leaves the setting as the user last chose it.
        if (m_shareGiven) {
            values.emplace_back(SettingsLayout::kKeyShareUnchanged,
                                *m_shareGiven ? SettingsLayout::kShareOn : SettingsLayout::kShareOff);
        }
        m_ops.WriteSettings(SettingsLayout::kAppName, SettingsLayout::kSectionLastExec, values);
    } catch (const PlatformError& e) {
        ShowFailure(std::string(kSettingsNotSaved) + "\n" + e.what());
        return false;
    }
    return true;
}

// The record tells this stamp folder from a complete backup later on; one that cannot be written
// is a failure of the run, shown with its path and reason.
bool BackupRun::WriteRecord(const std::string& stampFolder, const RunRecord& record, bool live) {
    try {
        m_ops.WriteRunRecord(stampFolder, record.Format(), live);
        return true;
    } catch (const PlatformError& e) {
        ShowFailure(std::string(kRecordNotWritten) + "\n" + e.what());
        return false;
    }
}

// Only after the new backup is whole and recorded so: a failed or stopped run leaves every earlier
// backup, since it may be the only whole one.
bool BackupRun::RemoveOldRuns(const std::string& destination, const std::string& stamp, const LocalTime& started) {
    std::vector<std::string> failures;
    try {
        const RetentionRule rule(OldRuns::Limits(m_ops, m_retention));
        failures = OldRuns::Remove(m_ops, destination, rule, stamp, started);
    } catch (const PlatformError& e) {
        failures.emplace_back(e.what());
    }
    if (failures.empty()) return true;
    std::string text = kOldRunsNotRemoved;
    for (const std::string& failure : failures) text += "\n" + failure;
    m_ops.ShowPrompt(text, PromptStyle::OkExclamation, FileModule::kBackupTitle);
    return false;
}

// Data flow of one run:
//
//   CheckInputs ──false──> end (pointer untouched; nothing created but the destination itself,
//       │true                  when the user said Yes to creating it and a later check refused)
//   hourglass ─> stamp = StampName(CurrentLocalTime) ─> MakeFolder(dst/stamp) ─> record "running"
//       ─> RemoveLeftoverCopies(dst) ─> [sharing on: newest earlier completed backup from the records]
//       ─> CopyMatching(src, dst/stamp, wildcard, earlier) ─> record the outcome
//       ─> (completed only) remove old backups ─> SaveLastExec ─> ShowFoldersUsed ─> default pointer
//
// No step looks at the outcome of the one before: MakeFolder and CopyMatching report their
// own failures, and the inputs are stored even when the copy failed. The outcome only gathers
// what happened, for the caller. Two exceptions: a stamp folder this run did not make (one of
// the same second) gets no record, since it is another run's; and nothing is copied into a
// folder whose "running" record could not be written, which nobody could tell from a whole
// backup later.
BackupResult BackupRun::Run() {
    bool hourglass = false;
    BackupResult result{BackupOutcome::Failed, {}, false};
    RunRecord record;
    std::string recorded;  // the stamp folder while its record says "running"
    try {
        if (!CheckInputs()) return {BackupOutcome::Refused, {}, false};
        m_window.SetMousePointer(MousePointer::Hourglass);
        hourglass = true;

        const std::string destination = GetDstFolder();
        const LocalTime started = m_ops.CurrentLocalTime();
        const std::string stamp = FileModule::StampName(started);
        if (stamp.empty()) {
            // Without a stamp the "stamp folder" would be the destination itself, and the copy
            // would overwrite same-named files there. Nothing is created or copied; the inputs
            // passed their checks and are stored as after any other failed copy.
            m_ops.ShowPrompt(kNoStamp, PromptStyle::OkExclamation, FileModule::kBackupTitle);
        } else {
            const std::string stampFolder = FileModule::JoinPath(destination, stamp);
            const bool made = FileModule::MakeFolder(m_ops, stampFolder);
            const std::string source = GetSrcFolder();
            const std::string wildcard = GetFileType();
            record.started = RunRecord::Time(started);
            record.source = source;
            record.destination = destination;
            record.fileType = wildcard;
            record.version = ProgramInfo::kVersion;
            if (made && WriteRecord(stampFolder, record, true)) recorded = stampFolder;
            // Before the copy, so the room the leftovers of a killed run took is free for it.
            FileModule::RemoveLeftoverCopies(m_ops, destination);
            FileModule::CopyCount count;
            const FileModule::CopyOutcome copied =
                made && recorded.empty()
                    ? FileModule::CopyOutcome::Failed
                    : FileModule::CopyMatching(m_ops, source, stampFolder, wildcard, m_window, &count,
                                               ShareSource::Folder(m_ops, m_shareGiven, destination, stamp));
            if (made) result.stampFolder = stampFolder;
            if (copied == FileModule::CopyOutcome::Stopped) result.outcome = BackupOutcome::Stopped;
            if (made && copied == FileModule::CopyOutcome::Copied) result.outcome = BackupOutcome::Completed;
            if (!recorded.empty()) {
                record.outcome = copied == FileModule::CopyOutcome::Copied    ? RunOutcome::Completed
                                 : copied == FileModule::CopyOutcome::Stopped ? RunOutcome::Stopped
                                                                              : RunOutcome::Failed;
                record.failure = count.failure;
                record.files = count.files;
                record.bytes = count.bytes;
                record.ended = RunRecord::Time(m_ops.CurrentLocalTime());
                recorded.clear();
                if (!WriteRecord(stampFolder, record, false)) result.outcome = BackupOutcome::Failed;
            }
            if (result.outcome == BackupOutcome::Completed) {
                result.oldRunsRemoved = RemoveOldRuns(destination, stamp, started);
            }
        }
        result.inputsStored = SaveLastExec();
        m_window.ShowFoldersUsed(GetSrcFolder(), GetDstFolder());
        m_window.SetMousePointer(MousePointer::Default);
    } catch (const std::exception& e) {
        // Anything else that fails (the clock, a prompt) ends the run with its description; the
        // hourglass never stays behind.
        if (hourglass) m_window.SetMousePointer(MousePointer::Default);
        ShowFailure(e.what());
        result.outcome = BackupOutcome::Failed;
        if (!recorded.empty()) {
            record.outcome = RunOutcome::Failed;
            record.failure = e.what();
            WriteRecord(recorded, record, false);
        }
    }
    return result;
}

}  // namespace quillmere
