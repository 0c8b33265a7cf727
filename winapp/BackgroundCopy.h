// BackgroundCopy: runs a backup's copy on a thread of its own while the window's thread goes on
// with its messages, and watches it: after half a second the progress window appears. Meanwhile no
// key or click reaches the main window, so nothing starts a second run or changes the inputs
// half-way; Esc and its close box, like Stop, ask whether to stop.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "forms/CopyWatch.h"

namespace quillmere {

class frmProgress;

class BackgroundCopy final : public CopyWatch {
public:
    BackgroundCopy(PlatformOps& ops, HWND window);
    ~BackgroundCopy() override;
    BackgroundCopy(const BackgroundCopy&) = delete;
    BackgroundCopy& operator=(const BackgroundCopy&) = delete;

    // The session ends (the program is ended right after): the copy stops at its next safe
    // point, and this returns once it has, its finished copies whole under their names.
    void StopAndWait();

protected:
    void RunCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) override;

private:
    // The question's box belongs to the progress window where that shows; the main window below
    // is held still as well, so nothing reaches it while the box's own loop runs.
    void HoldWindow(bool hold) override;
    // Serves the windows' messages until the copy has ended; a request to quit the program is
    // kept in quit and stops the copy.
    void ServeMessages(HANDLE ended, const std::string& stampFolder, std::optional<int>& quit);
    // Whether the message goes on to its window; input for the main window stops here.
    bool Passes(const MSG& message);
    void ShowProgress();

    HWND m_window;
    std::unique_ptr<frmProgress> m_progressWindow;
    bool m_holding = false;
    HANDLE m_ended = nullptr;  // while the copy runs: set once its thread has ended
};

}  // namespace quillmere
