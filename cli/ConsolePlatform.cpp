#include "cli/ConsolePlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/TerminalText.h"
#include "platform/ProgramInfo.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"
#define isatty _isatty
#define fileno _fileno
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quillmere::cli {
namespace {

std::string Write(std::FILE* stream, const std::string& text) {
#ifdef _WIN32
    // A console shows UTF-16 text whatever its code page; a pipe or a file gets the UTF-8 bytes.
    HANDLE handle = ::GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        const std::wstring wide = WideText::Widen(text);
        DWORD written = 0;
        if (!::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
            return Win32Error::Reason(::GetLastError());
        }
        return {};
    }
#endif
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    if (std::fflush(stream) == 0 && written) return {};
    const int error = errno;
    return error != 0 ? std::strerror(error) : "書き込めません";
}

}  // namespace

bool ErrorIsTerminal() {
    return ::isatty(::fileno(stderr)) != 0;
}

std::string WriteOut(const std::string& text) {
    return Write(stdout, text);
}

std::string WritePathLine(const std::string& path) {
    const bool terminal = ::isatty(::fileno(stdout)) != 0;
    std::string failure = Write(stdout, (terminal ? TerminalText::Escaped(path) : path) + "\n");
    errno = 0;
    if (std::fclose(stdout) != 0 && failure.empty()) failure = errno != 0 ? std::strerror(errno) : "閉じられません";
    return failure;
}

void ReserveStandardStreams() {
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open() takes the lowest free number, which is this one: the lower ones are open now.
        const int taken = ::open("/dev/null", O_RDONLY | O_NOCTTY);
        if (taken != -1 && taken != fd) ::close(taken);
    }
#endif
}

void WriteError(const std::string& text) {
    Write(stderr, text);
}

void RewriteErrorLine(const std::string& text) {
#ifdef _WIN32
    // A console shows an escape sequence as a character unless its virtual terminal mode is on,
    // which older consoles lack and a program should not change for the console's other users:
    // the line is blanked from its start with the console's own call instead.
    HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    Write(stderr, "\r");
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleScreenBufferInfo(handle, &screen)) {
        DWORD blanked = 0;
        ::FillConsoleOutputCharacterW(handle, L' ', static_cast<DWORD>(screen.dwSize.X - screen.dwCursorPosition.X),
                                      screen.dwCursorPosition, &blanked);
    }
    Write(stderr, text);
#else
    Write(stderr, "\r\x1b[K" + text);
#endif
}

PromptAnswer ConsolePlatform::ShowPrompt(const std::string& text, PromptStyle style,
                                         const std::optional<std::string>& title) {
    // A message names paths, and a name may hold control characters: none reaches the terminal raw.
    std::string line =
        TerminalText::Escaped(title.value_or(ProgramInfo::kName) + ": " + text, TerminalText::LineBreaks::Keep);
    if (style != PromptStyle::YesNoQuestion) {
        WriteError(line + "\n");
        return PromptAnswer::Ok;
    }
    line += m_answerYes ? " はい (--yes)\n" : " いいえ (作成するには --yes を付けてください)\n";
    WriteError(line);
    return m_answerYes ? PromptAnswer::Yes : PromptAnswer::No;
}

void ConsolePlatform::LaunchCommand(const std::string& commandLine, ShowMode) {
    throw PlatformError(commandLine + ": コマンドラインからは開けません");
}

}  // namespace quillmere::cli
