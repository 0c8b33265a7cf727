// ConsolePlatform: the real system with the user's questions and messages on the console. There
// is nobody to ask: the one question of a run (create the missing destination?) is answered by
// --yes, and every message goes to standard error.
#pragma once

#include "platform/SystemOps.h"

namespace quillmere::cli {

class ConsolePlatform final : public SystemOps {
public:
    explicit ConsolePlatform(bool answerYes) : m_answerYes(answerYes) {}

    PromptAnswer ShowPrompt(const std::string& text, PromptStyle style,
                            const std::optional<std::string>& title) override;
    // Nothing in an unattended run opens a web page or a mail.
    void LaunchCommand(const std::string& commandLine, ShowMode showMode) override;

private:
    bool m_answerYes;
};

// Writes UTF-8 text to standard output or standard error, in the console's own encoding where
// that is not UTF-8 (a Windows console). WriteOut answers the system's reason when the text did
// not reach its file, pipe or console (a closed or full standard output), else an empty text.
std::string WriteOut(const std::string& text);
void WriteError(const std::string& text);
// Replaces the line the cursor is on, on standard error, with the text: the progress line's redraw
// in place on a terminal or a console.
void RewriteErrorLine(const std::string& text);
// Whether standard error is a terminal (or a console), where a progress line can be redrawn.
bool ErrorIsTerminal();

// Writes a path as the last line of standard output: as it is for a script, with its control
// characters escaped on a terminal. Standard output is closed then, so that a failure only
// closing reports (a full network disk, say) is caught too. Answers as WriteOut does.
std::string WritePathLine(const std::string& path);

// A standard stream that was closed when the program started (">&-") is taken by /dev/null opened
// for reading only: otherwise the next file opened would take its number, and what is meant for
// the terminal would be written into it (a settings file, a copy); writing to it now fails, as
// writing to the closed stream would have.
void ReserveStandardStreams();

}  // namespace quillmere::cli
