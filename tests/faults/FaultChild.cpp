// fault_child: one backup or one run of settings writes in a process of its own, so the fault
// tests can put it inside a mount namespace, under a file-size limit, without capabilities, or
// kill it half-way. Every message box it would have shown is printed as one line:
//
//   prompt <TAB> style <TAB> title or "-" <TAB> text, with "\" and line breaks escaped
//
// Questions are answered Yes. The exit status is 0 unless the arguments are wrong, (for the
// settings commands) a write failed, or a stop signal ended the backup (128 + the signal), as
// in the program.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "backup/BackupRun.h"
#include "platform/StopRequest.h"
#include "platform/SystemOps.h"
#include "platform/posix/SettingsFile.h"

namespace {

using namespace quillmere;

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

// The real system operations with the settings file and the clock fixed by the arguments, and
// the user replaced by a printout.
class ChildOps final : public SystemOps {
public:
    explicit ChildOps(std::string settingsFile) : m_settings(std::move(settingsFile)) {}

    PromptAnswer ShowPrompt(const std::string& text, PromptStyle style,
                            const std::optional<std::string>& title) override {
        std::cout << "prompt\t" << static_cast<int>(style) << '\t' << title.value_or("-") << '\t' << Escaped(text)
                  << std::endl;
        return style == PromptStyle::YesNoQuestion ? PromptAnswer::Yes : PromptAnswer::Ok;
    }
    LocalTime CurrentLocalTime() override { return {2026, 12, 7, 10, 15, 0}; }
    std::string ReadSetting(const std::string&, const std::string& section, const std::string& key,
                            const std::string& defaultValue) override {
        return m_settings.Read(section, key, defaultValue);
    }
    void WriteSetting(const std::string&, const std::string& section, const std::string& key,
                      const std::string& value) override {
        m_settings.Write(section, key, value);
    }
    void WriteSettings(const std::string&, const std::string& section,
                       const std::vector<std::pair<std::string, std::string>>& values) override {
        m_settings.Write(section, values);
    }
    void LaunchCommand(const std::string& commandLine, ShowMode) override {
        std::cout << "launch\t" << Escaped(commandLine) << std::endl;
    }

private:
    SettingsFile m_settings;
};

class InputsWindow final : public BackupWindow {
public:
    InputsWindow(std::string source, std::string destination, std::string fileType)
        : m_inputs{std::move(source), std::move(destination), std::move(fileType)} {}
    std::string InputText(BackupInput input) const override { return m_inputs[static_cast<int>(input)]; }
    void FocusInput(BackupInput) override {}
    void SetMousePointer(MousePointer) override {}
    void ShowFoldersUsed(const std::string&, const std::string&) override {}

private:
    std::string m_inputs[3];
};

int Usage() {
    std::cerr << "usage: fault_child backup SOURCE DESTINATION WILDCARD SETTINGS\n"
                 "       fault_child write SETTINGS SECTION KEY VALUE\n"
                 "       fault_child count-up SETTINGS SECTION KEY1 KEY2\n"
                 "       fault_child write-keys SETTINGS SECTION PREFIX COUNT\n";
    return 2;
}

// Writes KEY1 and then KEY2 with the number after KEY2's stored one, for ever: a process killed at
// any moment must leave KEY1 equal to KEY2 or one ahead of it.
int CountUp(SettingsFile& file, const std::string& section, const std::string& key1, const std::string& key2) {
    for (;;) {
        const std::string next = std::to_string(std::stol(file.Read(section, key2, "0")) + 1);
        file.Write(section, key1, next);
        file.Write(section, key2, next);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // As the program itself does: a file-size limit must show as an error, not end the process.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    try {
        if (command == "backup" && argc == 6) {
            ChildOps ops(argv[5]);
            InputsWindow window(argv[2], argv[3], argv[4]);
            StopRequest::InstallSignalHandlers();
            BackupRun(ops, window).Run();
            return StopRequest::Requested() ? 128 + StopRequest::Signal() : 0;
        }
        if (command == "write" && argc == 6) {
            SettingsFile(argv[2]).Write(argv[3], argv[4], argv[5]);
            return 0;
        }
        if (command == "count-up" && argc == 6) {
            SettingsFile file(argv[2]);
            return CountUp(file, argv[3], argv[4], argv[5]);
        }
        if (command == "write-keys" && argc == 6) {
            SettingsFile file(argv[2]);
            const int count = std::atoi(argv[5]);
            for (int i = 0; i < count; ++i) file.Write(argv[3], argv[4] + std::to_string(i), std::to_string(i));
            return 0;
        }
    } catch (const std::exception& e) {
        std::cout << "error\t" << Escaped(e.what()) << std::endl;
        return 1;
    }
    return Usage();
}
