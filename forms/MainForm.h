// MainForm: what the main window does, without the toolkit. On load it reads the stored
// position and the last inputs, on unload it stores the position, and it runs the handlers of
// Execute, the two browse buttons and About. The window (a MainView) builds the controls and
// forwards its events here.
#pragma once

#include "forms/MainView.h"
#include "platform/PlatformOps.h"

namespace quillmere {

class MainForm {
public:
    MainForm(PlatformOps& ops, MainView& view) : m_ops(ops), m_view(view) {}

    void Form_Load();
    void Form_Unload();
    // The session ends (logout, shutdown) and the system ends the program right after, perhaps
    // before a backup under way has taken its own last steps: that backup's inputs are stored as
    // the backup stores them, then the position as on unload. The copy must have ended.
    void Session_End();
    void btnExec_Click();
    // index 0 is the source folder's row, 1 the destination's.
    void btnBrowseFolser_Click(int index);
    void cmdAbout_Click();

private:
    void PlaceAt(float leftTwips, float topTwips);

    PlatformOps& m_ops;
    MainView& m_view;
    bool m_backingUp = false;
};

}  // namespace quillmere
