#include "cli/ConsolePlatform.h"

#include <cstdio>

#include "platform/ProgramInfo.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/WideText.h"
#endif

namespace quillmere::cli {
namespace {

void Write(std::FILE* stream, const std::string& text) {
#ifdef _WIN32
    // A console shows UTF-16 text whatever its code page; a pipe or a file gets the UTF-8 bytes.
    HANDLE handle = ::GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        const std::wstring wide = WideText::Widen(text);
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
#endif
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

void WriteOut(const std::string& text) {
    Write(stdout, text);
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
    std::string line = title.value_or(ProgramInfo::kName) + ": " + text;
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
