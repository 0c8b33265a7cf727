// frmSelectFolder: the modal dialog in which the user picks a folder with a drive list and a
// directory list, behind each browse button of the main window.
//
// One object serves the whole run; its window and controls are built anew for every showing and
// destroyed when it closes, while mResult and mFolder outlive the showings. The close box leaves
// both as they were, so ShowDialog then answers what the last OK or Cancel left (0 before any).
#pragma once

#include <QString>
#include <QtGlobal>

#include "platform/PlatformOps.h"
#include "platform/qt/VolumeList.h"

class QDialog;
class QWidget;

namespace quillmere {

class DirectoryList;
class DriveList;

class frmSelectFolder {
public:
    frmSelectFolder(PlatformOps& ops, const VolumeList& volumes, QWidget* owner);

    // Shows the dialog at folder (any text; it need not exist) and returns 1 after OK, 2 after
    // Cancel. Only on 1 is folder replaced, by the folder open in the directory list.
    qint16 ShowDialog(QString& folder);

private:
    void Load(DriveList& drvList, DirectoryList& dirList);
    void drvList_Change(DriveList& drvList, DirectoryList& dirList);

    PlatformOps& m_ops;
    const VolumeList& m_volumes;
    QWidget* m_owner;
    qint16 mResult = 0;
    QString mFolder;
};

}  // namespace quillmere
