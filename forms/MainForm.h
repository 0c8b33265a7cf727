// MainForm: what the main window does, without the toolkit. On load it reads the stored
// position and the last inputs, on unload it stores the position, and it runs the handlers of
// Execute, the two browse buttons and About. The window (a MainView: app/frmMain on Linux,
// winapp/frmMain on Windows) builds the controls and forwards its events here.
//
// A backup, from the click to the disk, in both programs:
//
//   btnExec (or Enter) --> MainForm::btnExec_Click --> BackupRun::Run
//        CheckInputs: txtFolder0, txtFolder1, cmbFileNameFilter read afresh, trimmed
//            source given -> destination given -> source exists -> destination exists
//            (or created on Yes) -> wildcard given -> a matching file exists
//            first failure: warning "バックアップ", focus to that input, end
//        hourglass (on the main window on Linux, over all the program's windows on Windows)
//        StampName(CurrentLocalTime) --> JoinPath(destination, stamp) --> MakeFolder
//        CopyMatching(JoinPath(source, wildcard) -> stamp folder, overwrite), on a thread of
//            its own; after 0.5 s the progress window with Stop (each program's BackgroundCopy
//            and frmProgress)
//        SaveLastExec: LastExec/SrcFolder, DstFolder, FileType --> the settings store (an INI
//            file on Linux, the registry on Windows)
//        pointer back to the default; no completion message
//
// Start-up reads MainWindow/Left, Top and the three LastExec inputs, in that order; closing (Quit,
// Esc, the close box and, on Linux, a stop signal alike) and the session's end write Left and Top
// unless the window is minimised.
//
// The names of the windows' controls and of the forms' own state are fixed, in every window of both
// programs, their forms, views and tests, and in the controls' object names the tests find them
// by: txtFolder, btnBrowseFolser, cmbFileNameFilter, cmdAbout, btnExec, btnQuit, drvList, dirList,
// Label3, mResult, mFolder, and the handlers named after them (btnBrowseFolser_Click). Spellings
// such as "Folser" are these names, not slips to correct.
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
