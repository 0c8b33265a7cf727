// frmSelectFolder: the modal dialog in which the user picks a folder with a drive list and a
// directory list, behind each browse button of the main window; the Qt view of SelectFolderForm.
//
// One object serves the whole run, and so does its form; the window and its controls are built
// anew for every showing and destroyed when it closes.
#pragma once

#include <string>

#include "app/VolumeList.h"
#include "forms/SelectFolderForm.h"
#include "platform/PlatformOps.h"

class QWidget;

namespace quillmere {

class frmSelectFolder {
public:
    frmSelectFolder(PlatformOps& ops, const VolumeList& volumes, QWidget* owner);

    // See SelectFolderForm::ShowDialog.
    DialogResult ShowDialog(std::string& folder);

private:
    PlatformOps& m_ops;
    const VolumeList& m_volumes;
    QWidget* m_owner;
    SelectFolderForm m_form;
};

}  // namespace quillmere
