// MainView: what the main window's logic (MainForm) needs of the window on the screen. Besides
// the backup run's inputs, focus and pointer, it places the window in twips and opens the two
// other windows. The Qt window implements it; the tests implement it with a recording fake.
#pragma once

#include <string>

#include "backup/BackupRun.h"

namespace quillmere {

// How the folder dialog closed: 1 after OK, 2 after Cancel, and what the last of these left
// after the close box (0 before any).
using DialogResult = int;

class MainView : public BackupWindow {
public:
    virtual void SetInputText(BackupInput input, const std::string& text) = 0;
    void ShowFoldersUsed(const std::string& source, const std::string& destination) override {
        SetInputText(BackupInput::SourceFolder, source);
        SetInputText(BackupInput::DestinationFolder, destination);
    }

    // False where the desktop neither places windows where the program asks nor tells where
    // they are (Wayland): the position is then neither restored nor stored.
    virtual bool PositionsWork() const = 0;
    // Whether a window frame with its top-left corner there would show on any screen at all.
    virtual bool ShowsOnAScreen(float leftTwips, float topTwips) const = 0;
    virtual void MoveTo(float leftTwips, float topTwips) = 0;
    virtual int LeftTwips() const = 0;
    virtual int TopTwips() const = 0;
    virtual bool IsMinimised() const = 0;

    // Opens the folder dialog at folder; only on OK is folder replaced by the folder chosen.
    virtual DialogResult ShowSelectFolder(std::string& folder) = 0;
    virtual void ShowAbout() = 0;
};

}  // namespace quillmere
