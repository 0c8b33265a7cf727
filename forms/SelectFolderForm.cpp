#include "forms/SelectFolderForm.h"

namespace quillmere {

DialogResult SelectFolderForm::ShowDialog(SelectFolderView& view, std::string& folder) {
    mFolder = folder;
    view.ShowModal();
    if (mResult == 1) folder = mFolder;
    return mResult;
}

// Both steps are tried whatever the other did, and a failure is not reported: a folder handed in
// that is empty, missing or on a volume that cannot be read simply opens the lists elsewhere.
void SelectFolderForm::Form_Load(SelectFolderView& view) {
    try {
        view.SetDrive(mFolder);
    } catch (const PlatformError&) {
    }
    try {
        view.SetPath(mFolder);
    } catch (const PlatformError&) {
    }
}

void SelectFolderForm::btnOK_Click(SelectFolderView& view) {
    // A list that could open no folder at all has none to give; the text handed in stays.
    if (const std::string open = view.Path(); !open.empty()) mFolder = open;
    mResult = 1;
    view.Close();
}

void SelectFolderForm::btnCancel_Click(SelectFolderView& view) {
    mResult = 2;
    view.Close();
}

// A volume that cannot be read puts the drive list back on the volume of the folder still open in
// the directory list. That is itself a change of the drive and runs this again, nested, which
// moves the directory list to that volume's start folder.
void SelectFolderForm::drvList_Change(SelectFolderView& view) {
    try {
        view.SetPath(view.DriveFolder());
    } catch (const PlatformError&) {
        // An empty list (the working folder has gone) has no volume to go back to.
        if (const std::string open = view.Path(); !open.empty()) view.SetDrive(open);
    }
}

void SelectFolderForm::dirList_OpenFailed(const std::string& reason) {
    m_ops.ShowPrompt(reason, PromptStyle::OkExclamation, std::nullopt);
}

}  // namespace quillmere
