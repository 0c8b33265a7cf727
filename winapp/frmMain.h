// frmMain: the program's one main window, the Win32 view of MainForm. It holds the three inputs of
// a backup and forwards its events to MainForm, which starts the run, opens the folder dialog and
// the About window, and remembers the window's position.
//
// What a backup does from the click to the disk is drawn once, in forms/MainForm.h.
#pragma once

#include <memory>

#include "forms/MainForm.h"
#include "platform/PlatformOps.h"
#include "winapp/NativeWindow.h"
#include "winapp/WinLayout.h"

namespace quillmere {

class AboutWindow;
class BackgroundCopy;
class SelectFolderWindow;
class TypedComboText;

class frmMain final : public NativeWindow, public MainView {
public:
    // Loads the window: reads the settings and places it, before it is first shown.
    explicit frmMain(PlatformOps& ops);
    ~frmMain() override;

    // Shows the window with the first input focused.
    void Show(int showCommand);

    std::string InputText(BackupInput input) const override;
    void FocusInput(BackupInput input) override;
    void SetMousePointer(MousePointer pointer) override;
    void WatchCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) override;
    void SetInputText(BackupInput input, const std::string& text) override;
    bool PositionsWork() const override { return true; }
    bool ShowsOnAScreen(float leftTwips, float topTwips) const override;
    void MoveTo(float leftTwips, float topTwips) override;
    int LeftTwips() const override;
    int TopTwips() const override;
    bool IsMinimised() const override;
    DialogResult ShowSelectFolder(std::string& folder) override;
    void ShowAbout() override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnCommand(int id);
    void Unload();
    void EndSession();
    HWND Input(BackupInput input) const;

    PlatformOps& m_ops;
    MainForm m_form;
    std::unique_ptr<WinLayout> m_layout;
    std::unique_ptr<SelectFolderWindow> m_selectFolder;
    std::unique_ptr<AboutWindow> m_about;
    std::unique_ptr<TypedComboText> m_filterText;
    BackgroundCopy* m_copy = nullptr;  // while a backup copies
    bool m_unloaded = false;

    HWND txtFolder[2] = {};
    HWND btnBrowseFolser[2] = {};
    HWND cmbFileNameFilter = nullptr;
};

}  // namespace quillmere
