// ControlIds: the control ids of the main window's and the progress window's controls. A control
// array takes consecutive ids from its first (txtFolder0, txtFolder1).
#pragma once

namespace quillmere::ControlIds {

enum : int {
    kLabel1 = 100,           // three
    kTxtFolder = 110,        // two
    kBtnBrowseFolser = 120,  // two
    kCmbFileNameFilter = 130,
    kCmdAbout = 140,
    kBtnExec = 141,
    kBtnQuit = 142,

    kLblFolder = 200,
    kPrgBytes = 201,
    kLblCount = 202,
    kLblFile = 203,
    kCmdStop = 204,
};

}  // namespace quillmere::ControlIds
