#include "cli/RunList.h"

#include <algorithm>

#include "backup/FileModule.h"
#include "backup/FolderText.h"
#include "backup/OldRuns.h"
#include "backup/RunHistory.h"
#include "cli/CommandLine.h"
#include "cli/ConsolePlatform.h"
#include "cli/TerminalText.h"
#include "settings/SettingsLayout.h"

namespace quillmere::cli {
namespace {

using RunHistory::RunState;

const char* StateText(RunState state) {
    switch (state) {
        case RunState::Running: return "実行中";
        case RunState::Completed: return "完了";
        case RunState::Stopped: return "中止";
        case RunState::Failed: return "失敗";
        case RunState::Killed: return "中断 (記録を終える前に終了した)";
        case RunState::NoRecord: return "記録なし";
        case RunState::Unreadable: return "記録を読めません";
    }
    return "";
}

}  // namespace

int ListRuns(PlatformOps& ops, const std::optional<std::string>& destination, const RetentionOverride& limits,
             bool dryRun) {
    std::string folder;
    try {
        const SettingsLayout::StoredValue& stored = SettingsLayout::kLastExec[1];
        folder = destination
                     ? *destination
                     : ops.ReadSetting(SettingsLayout::kAppName, stored.section, stored.key, stored.defaultValue);
    } catch (const PlatformError& e) {
        WriteError(std::string("Quillmere: ") + TerminalText::Escaped(e.what(), TerminalText::LineBreaks::Keep) + "\n");
        return kRefused;
    }
    // Taken as a run takes it: a relative folder in the working folder, "~" the home folder.
    folder = FolderText::Absolute(FolderText::TrimSpaces(folder), ops.WorkingFolder(), ops.HomeFolder());
    if (folder.empty()) {
        WriteError("Quillmere: コピー先フォルダが指定されていません。\n");
        return kRefused;
    }
    std::vector<RunHistory::PastRun> runs;
    try {
        runs = RunHistory::List(ops, folder);
    } catch (const PlatformError& e) {
        WriteError(std::string("Quillmere: ") + TerminalText::Escaped(e.what(), TerminalText::LineBreaks::Keep) + "\n");
        return kCopyFailed;
    }
    int status = kCompleted;
    std::vector<std::string> removable;
    try {
        removable = RetentionRule(OldRuns::Limits(ops, limits)).RemovableNext(runs, ops.CurrentLocalTime());
    } catch (const PlatformError& e) {
        WriteError(std::string("Quillmere: ") + TerminalText::Escaped(e.what(), TerminalText::LineBreaks::Keep) + "\n");
        status = kCopyFailed;
    }
    std::string lines;
    if (dryRun) {
        for (const std::string& stamp : removable) {
            lines += TerminalText::Escaped(FileModule::JoinPath(folder, stamp)) + "\n";
        }
        runs.clear();
    }
    for (const RunHistory::PastRun& run : runs) {
        lines += run.stamp + "  " + StateText(run.state);
        if (run.state != RunState::NoRecord && run.state != RunState::Unreadable) {
            lines += "  " + std::to_string(run.files) + " ファイル  " + std::to_string(run.bytes) + " バイト";
        }
        // What the folder holds now: its own files, and those it shares with other backups.
        try {
            if (const std::optional<FolderSpace> space = ops.SpaceOf(FileModule::JoinPath(folder, run.stamp))) {
                lines += "  (固有 " + std::to_string(space->own) + " バイト  共有 " + std::to_string(space->shared) +
                         " バイト)";
            }
        } catch (const PlatformError& e) {
            WriteError(std::string("Quillmere: ") + TerminalText::Escaped(e.what(), TerminalText::LineBreaks::Keep) +
                       "\n");
            status = kCopyFailed;
        }
        if (run.partlyRemoved) lines += "  一部削除済み";
        if (std::find(removable.begin(), removable.end(), run.stamp) != removable.end()) lines += "  次回削除";
        lines += "\n";
        if (!run.problem.empty()) {
            WriteError("Quillmere: " + TerminalText::Escaped(run.problem, TerminalText::LineBreaks::Keep) + "\n");
            status = kCopyFailed;
        }
    }
    if (const std::string failure = WriteOut(lines); !failure.empty()) {
        WriteError("Quillmere: 標準出力に書けませんでした: " + failure + "\n");
        return kNotPrinted;
    }
    return status;
}

}  // namespace quillmere::cli
