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
    // The session ends (logout, shutdown) and the system ends the program right after. When a
    // backup's copy was under way (and has been stopped), the program may be ended before the
    // backup's own last steps: its inputs are stored here as the backup stores them. Then the
    // position, as on unload.
    void Session_End(bool copyStopped);
    void btnExec_Click();
    // index 0 is the source folder's row, 1 the destination's.
    void btnBrowseFolser_Click(int index);
    void cmdAbout_Click();

private:
    void PlaceAt(float leftTwips, float topTwips);

    PlatformOps& m_ops;
    MainView& m_view;
};

}  // namespace quillmere
