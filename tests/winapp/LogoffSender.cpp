// quillmere-logoff.exe: what Windows sends a program at logoff, for the end-to-end runs under Wine.
// It finds the main window of quillmere.exe, asks it WM_QUERYENDSESSION, then tells it
// WM_ENDSESSION and waits for the answer, which comes once the program has stopped its copy and
// stored its settings. Exit status 0 when the program agreed, 1 when it refused, 2 when there was
// no window or no answer.
#include <windows.h>

#include <cstdio>

int wmain() {
    HWND window = FindWindowW(L"QuillmereWindow", L"Quillmere");
    if (!window) {
        std::fprintf(stderr, "quillmere-logoff: no Quillmere window\n");
        return 2;
    }
    DWORD_PTR agreed = 0;
    if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &agreed)) {
        std::fprintf(stderr, "quillmere-logoff: WM_QUERYENDSESSION got no answer (%lu)\n", GetLastError());
        return 2;
    }
    if (!agreed) {
        std::fprintf(stderr, "quillmere-logoff: the program refused to end the session\n");
        return 1;
    }
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000, &ignored)) {
        std::fprintf(stderr, "quillmere-logoff: WM_ENDSESSION got no answer (%lu)\n", GetLastError());
        return 2;
    }
    return 0;
}
