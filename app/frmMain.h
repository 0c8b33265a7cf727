// frmMain: the program's one main window, the Qt view of MainForm. It holds the three inputs of a
// backup and forwards its events to MainForm, which starts the run, opens the folder dialog and
// the About window, and remembers the window's position.
//
// What a backup does from the click to the disk is drawn once, in forms/MainForm.h.
#pragma once

#include <QWidget>

#include <memory>

#include "app/VolumeList.h"
#include "forms/MainForm.h"
#include "platform/PlatformOps.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillmere {

class frmAbout;
class frmSelectFolder;

class frmMain final : public QWidget, public MainView {
public:
    // Loads the window: reads the settings and places it, before it is first shown.
    frmMain(PlatformOps& ops, const VolumeList& volumes);
    ~frmMain() override;

    std::string InputText(BackupInput input) const override;
    void FocusInput(BackupInput input) override;
    void SetMousePointer(MousePointer pointer) override;
    // Off this window's thread, with the progress window and Stop (see BackgroundCopy).
    void WatchCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) override;
    void SetInputText(BackupInput input, const std::string& text) override;
    bool PositionsWork() const override;
    bool ShowsOnAScreen(float leftTwips, float topTwips) const override;
    void MoveTo(float leftTwips, float topTwips) override;
    int LeftTwips() const override;
    int TopTwips() const override;
    bool IsMinimised() const override;
    DialogResult ShowSelectFolder(std::string& folder) override;
    void ShowAbout() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs a handler of the form so that nothing it throws reaches Qt's event loop.
    void Run(void (MainForm::*handler)());
    // Enter presses the focused push button, anywhere else the default button btnExec.
    void PressDefaultButton();
    QWidget* Input(BackupInput input) const;

    PlatformOps& m_ops;
    const VolumeList& m_volumes;
    MainForm m_form;
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
