#include "winapp/BackgroundCopy.h"

#include <exception>
#include <optional>
#include <thread>

#include "platform/win32/WideText.h"
#include "winapp/frmProgress.h"

namespace quillmere {

namespace {

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

BackgroundCopy::BackgroundCopy(PlatformOps& ops, HWND window) : CopyWatch(ops), m_window(window) {}

BackgroundCopy::~BackgroundCopy() = default;

void BackgroundCopy::RunCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) {
    HANDLE ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ended) {
        // Without the event there is no waiting beside the messages: the copy runs right here.
        copy(*this);
        return;
    }
    std::exception_ptr failure;
    std::thread worker;
    try {
        worker = StartThread(stampFolder, [&] {
            try {
                copy(*this);
            } catch (...) {
                failure = std::current_exception();
            }
            SetEvent(ended);
        });
    } catch (...) {
        CloseHandle(ended);
        throw;
    }
    m_ended = ended;

    std::optional<int> quit;
    try {
        ServeMessages(ended, stampFolder, quit);
    } catch (...) {
        // Nothing may leave here while the copy's thread runs: it is stopped and waited for.
        Stop();
        WaitForSingleObject(ended, INFINITE);
        worker.join();
        m_ended = nullptr;
        CloseHandle(ended);
        m_progressWindow.reset();
        throw;
    }
    worker.join();
    m_ended = nullptr;
    CloseHandle(ended);
    // The main window takes the activation back before the progress window goes.
    if (m_progressWindow) {
        SetActiveWindow(m_window);
        m_progressWindow.reset();
    }
    if (quit) PostQuitMessage(*quit);
    if (failure) std::rethrow_exception(failure);
}

void BackgroundCopy::StopAndWait() {
    Stop();
    if (m_ended) WaitForSingleObject(m_ended, INFINITE);
}

void BackgroundCopy::ServeMessages(HANDLE ended, const std::string& stampFolder, std::optional<int>& quit) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (!m_progressWindow && now - start >= kProgressDelayMs) {
            m_progressWindow = std::make_unique<frmProgress>(
                WideText::Widen(StampName(stampFolder)), [this] { AskToStop(); }, m_window);
            ShowProgress();
        } else if (m_progressWindow) {
            ShowProgress();
        }
        const ULONGLONG wait = m_progressWindow ? kRefreshMs : kProgressDelayMs - (now - start);
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &ended, static_cast<DWORD>(wait), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return;
        if (woke == WAIT_FAILED) {
            // No waiting beside the messages: the window waits without repainting instead.
            WaitForSingleObject(ended, INFINITE);
            return;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The program is to end: the copy stops at its next safe point and is waited for.
                quit = static_cast<int>(message.wParam);
                Stop();
                continue;
            }
            if (!Passes(message)) continue;
            if (m_progressWindow && IsDialogMessageW(m_progressWindow->Handle(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool BackgroundCopy::Passes(const MSG& message) {
    if (!message.hwnd || !IsInput(message.message)) return true;
    if (message.hwnd != m_window && !IsChild(m_window, message.hwnd)) return true;
    // Alt+F4 and the system menu reach the window as a close request, which asks as well.
    if (message.message == WM_SYSKEYDOWN || message.message == WM_SYSKEYUP || message.message == WM_SYSCHAR)
        return true;
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) AskToStop();
    return false;
}

void BackgroundCopy::HoldWindow(bool hold) {
    if (hold) {
        m_holding = m_progressWindow && IsWindowEnabled(m_window);
        if (m_holding) EnableWindow(m_window, FALSE);
    } else if (m_holding) {
        EnableWindow(m_window, TRUE);
        m_holding = false;
    }
}

void BackgroundCopy::ShowProgress() {
    if (m_progressWindow) m_progressWindow->Show(Latest());
}

}  // namespace quillmere
