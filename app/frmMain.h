// frmMain: the program's one main window. It holds the three inputs of a backup, starts the run,
// opens the folder dialog and the About window, and remembers its position.
//
// A backup, from the click to the disk:
//
//   btnExec (or Enter) --> BackupRun::Run
//        CheckInputs: txtFolder0, txtFolder1, cmbFileNameFilter read afresh, trimmed
//            source given -> destination given -> source exists -> destination exists
//            (or created on Yes) -> wildcard given -> a matching file exists
//            first failure: warning "バックアップ", focus to that input, end
//        hourglass on this window
//        StampName(CurrentLocalTime) --> JoinPath(destination, stamp) --> MakeFolder
//        CopyMatchingFiles(JoinPath(source, wildcard) -> stamp folder, overwrite), on a thread of
//            its own; after 0.5 s the progress window with Stop (BackgroundCopy, frmProgress)
//        SaveLastExec: LastExec/SrcFolder, DstFolder, FileType --> settings store
//        pointer back to the default; no completion message
//
// Start-up reads MainWindow/Left, Top and the three LastExec inputs, in that order; closing (Quit,
// Esc or the close box alike) writes Left and Top unless the window is minimised.
#pragma once

#include <QWidget>

#include <memory>

#include "backup/BackupRun.h"
#include "platform/PlatformOps.h"
#include "platform/qt/VolumeList.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillmere {

class frmAbout;
class frmSelectFolder;

class frmMain final : public QWidget, public BackupWindow {
public:
    // Loads the window: reads the settings and places it, before it is first shown.
    frmMain(PlatformOps& ops, const VolumeList& volumes);
    ~frmMain() override;

    std::string InputText(BackupInput input) const override;
    void FocusInput(BackupInput input) override;
    void SetMousePointer(MousePointer pointer) override;
    // Off this window's thread, with the progress window and Stop (see BackgroundCopy).
    void WatchCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void btnExec_Click();
    void btnBrowseFolser_Click(int index);
    void cmdAbout_Click();
    // Enter presses the focused push button, anywhere else the default button btnExec.
    void PressDefaultButton();
    void PlaceAt(double leftTwips, double topTwips);
    QWidget* Input(BackupInput input) const;

    PlatformOps& m_ops;
    const VolumeList& m_volumes;
    std::unique_ptr<frmSelectFolder> m_selectFolder;
    std::unique_ptr<frmAbout> m_about;

    QLabel* Label1[3] = {};
    QLineEdit* txtFolder[2] = {};
    QPushButton* btnBrowseFolser[2] = {};
    QComboBox* cmbFileNameFilter = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* btnExec = nullptr;
    QPushButton* btnQuit = nullptr;
};

}  // namespace quillmere
