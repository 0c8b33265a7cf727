// quillmere-console-screen.exe: writes what the console it runs in shows, from its first row to
// the cursor's, into the file named by its argument (UTF-8, one line a row, trailing blanks cut),
// for the end-to-end runs under Wine: Wine draws a console on a terminal with escape sequences of
// its own, so only the console's screen tells what a program really put there. Exit status 0 when
// written, 2 without a console or the file.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t* argv[]) {
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (argc != 2 || screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) {
        std::fprintf(stderr, "quillmere-console-screen: no console (%lu)\n", GetLastError());
        return 2;
    }
    std::wstring rows;
    std::wstring row(static_cast<size_t>(info.dwSize.X), L' ');
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, row.data(), static_cast<DWORD>(row.size()), COORD{0, y}, &read);
        const std::wstring shown = row.substr(0, read);
        rows += shown.substr(0, shown.find_last_not_of(L' ') + 1) + L"\n";
    }
    std::string text(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, rows.data(), static_cast<int>(rows.size()),
                                                             nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, rows.data(), static_cast<int>(rows.size()), text.data(),
                        static_cast<int>(text.size()), nullptr, nullptr);
    FILE* file = _wfopen(argv[1], L"wb");
    if (!file) return 2;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written ? 0 : 2;
}
