// quillmere-backup: one backup without a window, for timers, cron and the Task Scheduler. The
// same checks, messages and settings as the window program; the outcome is the exit status.
#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/win32/WideText.h"
#endif
#include <csignal>

#include "backup/BackupRun.h"
#include "backup/FileModule.h"
#include "backup/FolderText.h"
#include "cli/CommandLine.h"
#include "cli/ConsolePlatform.h"
#include "cli/ConsoleWindow.h"
#include "cli/DestinationCheck.h"
#include "cli/RunList.h"
#include "cli/TerminalText.h"
#include "platform/StopRequest.h"
#include "settings/SettingsLayout.h"

namespace {

using namespace quillmere;

std::vector<std::string> Arguments(int argc, char* argv[]) {
#ifdef _WIN32
    // The narrow arguments are in the ANSI code page and lose every character outside it.
    (void)argc;
    (void)argv;
    std::vector<std::string> args;
    int count = 0;
    if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) args.push_back(WideText::Narrow(wide[i]));
        ::LocalFree(wide);
    }
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

// The stamp folder as a full path, so a script can use the last line whatever its own folder.
std::string FullPath(const std::string& path) {
    std::error_code error;
#ifdef _WIN32
    const std::filesystem::path full = std::filesystem::absolute(WideText::Widen(path), error);
    return error ? path : WideText::Narrow(full.wstring());
#else
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.string();
#endif
}

#ifdef _WIN32
// Set once the run has ended, with its copies in place and its temporary files gone.
HANDLE g_runEnded = nullptr;

// The console's stop events. Ctrl+C and Ctrl+Break stop the copy at its next safe point. A closed
// console window, a logoff and a shutdown end the process as soon as this handler returns, so it
// first waits for the stopped run to clean up after itself, within the few seconds the system
// grants (about five).
BOOL WINAPI OnConsoleEvent(DWORD event) {
    StopRequest::Request(SIGINT);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
    if (g_runEnded) ::WaitForSingleObject(g_runEnded, 4000);
    return TRUE;
}

void InstallConsoleHandler() {
    g_runEnded = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void RunEnded() {
    if (g_runEnded) ::SetEvent(g_runEnded);
}
#endif

int Run(const cli::CommandLine& command) {
    cli::ConsolePlatform platform(command.yes);
    std::string inputs[3];
    const std::optional<std::string>* given[3] = {&command.inputs.source, &command.inputs.destination,
                                                  &command.inputs.wildcard};
    try {
        for (int i = 0; i < 3; ++i) {
            const SettingsLayout::StoredValue& stored = SettingsLayout::kLastExec[i];
            inputs[i] = *given[i] ? **given[i]
                                  : platform.ReadSetting(SettingsLayout::kAppName, stored.section, stored.key,
                                                         stored.defaultValue);
        }
        // Only the stored destination is checked: folders given on the command line are what
        // the user means now, and their file system is stored anew.
        if (!command.inputs.destination) {
            const std::string storedVolume = platform.ReadSetting(
                SettingsLayout::kAppName, SettingsLayout::kSectionLastExec, SettingsLayout::kKeyDstVolume, "");
            // The folder the run will use: a stored "~/..." is the home's, a Wine drive path its drive's.
            const std::string destination = FolderText::Absolute(FolderText::TrimSpaces(inputs[1]),
                                                                 platform.WorkingFolder(), platform.HomeFolder());
            if (!cli::DestinationCheck(platform, destination, storedVolume, command.yes)) return cli::kRefused;
        }
    } catch (const PlatformError& e) {
        // Without the stored inputs there is nothing sound to back up.
        platform.ShowPrompt(e.what(), PromptStyle::OkOnly, std::nullopt);
        return cli::kRefused;
    }
    // The stamp folder's path is printed as one line, which a script takes as the last line: a
    // destination holding a line break would make that line another path.
    if (inputs[1].find_first_of("\r\n") != std::string::npos) {
        platform.ShowPrompt("コピー先フォルダに改行が含まれています。改行を含まないパスを指定してください。\n" +
                                cli::TerminalText::Escaped(inputs[1]),
                            PromptStyle::OkExclamation, FileModule::kBackupTitle);
        return cli::kRefused;
    }

    cli::ConsoleWindow window(inputs[0], inputs[1], inputs[2]);
    BackupRun run(platform, window, RelativeTo::WorkingFolder);
    run.SetRetention({command.keepRuns, command.keepDays});
    if (command.shareUnchanged) run.SetShareUnchanged(*command.shareUnchanged);
    const BackupResult result = run.Run();
    switch (result.outcome) {
        case BackupOutcome::Refused: return cli::kRefused;
        case BackupOutcome::Failed: return cli::kCopyFailed;
        case BackupOutcome::Stopped: return cli::kStopped;
        case BackupOutcome::Completed: break;
    }
    // The copies are in place whatever follows; what follows only says whether a script can
    // rely on the printed path and on the stored inputs.
    const int completed = !result.inputsStored     ? cli::kNotStored
                          : !result.oldRunsRemoved ? cli::kOldRunKept
                                                   : cli::kCompleted;
    if (command.quiet) return completed;
    // A Wine drive's folder is printed as the path a script on this system can use.
    const std::string path = FullPath(platform.SystemPath(result.stampFolder));
    if (const std::string failure = cli::WritePathLine(path); !failure.empty()) {
        platform.ShowPrompt("日時のフォルダのパスを標準出力に書けませんでした: " + failure + "\n" + path,
                            PromptStyle::OkOnly, std::nullopt);
        return cli::kNotPrinted;
    }
    return completed;
}

// --help and --version answer on standard output; one that cannot be written is no success.
int Print(const std::string& text) {
    if (const std::string failure = cli::WriteOut(text); !failure.empty()) {
        cli::WriteError("quillmere-backup: 標準出力に書けませんでした: " + failure + "\n");
        return cli::kNotPrinted;
    }
    return cli::kCompleted;
}

}  // namespace

int main(int argc, char* argv[]) {
    // First, before anything opens a file that could take a closed stream's number.
    cli::ReserveStandardStreams();
    // The system's reasons for failures (strerror) in the user's language.
    std::setlocale(LC_ALL, "");
#ifdef SIGXFSZ
    // A file-size limit must end a copy with a message, not kill the run half-way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // SIGINT, SIGTERM and SIGHUP stop the copy at its next safe point with the finished copies in
    // place, and the run ends with its own exit status instead of being killed half-way.
    StopRequest::InstallSignalHandlers();
#ifdef _WIN32
    // The C runtime maps Ctrl+C alone to SIGINT; the console's other stop events would end the
    // process half-way through a copy, its work folder left behind.
    InstallConsoleHandler();
#endif
    const cli::CommandLine command = cli::ParseCommandLine(Arguments(argc, argv));
    if (command.help) return Print(cli::UsageText());
    if (command.version) return Print(cli::VersionText());
    if (!command.error.empty()) {
        cli::WriteError("quillmere-backup: " + cli::TerminalText::Escaped(command.error) +
                        "\n詳しくは quillmere-backup --help\n");
        return cli::kUsage;
    }
    if (command.list || command.dryRun) {
        cli::ConsolePlatform platform(false);
        return cli::ListRuns(platform, command.inputs.destination, {command.keepRuns, command.keepDays},
                             command.dryRun);
    }
    const int status = Run(command);
#ifdef _WIN32
    RunEnded();
#endif
    return status;
}
