// SelectFolderForm: what the folder dialog does, without the toolkit: where its lists open, the
// fall-back from a volume that cannot be read, and what ShowDialog answers.
//
// One object serves the whole run; the view is built anew for every showing, while mResult and
// mFolder outlive the showings. The close box leaves both as they were, so ShowDialog then
// answers what the last OK or Cancel left (0 before any).
#pragma once

#include <string>

#include "forms/MainView.h"
#include "forms/SelectFolderView.h"
#include "platform/PlatformOps.h"

namespace quillmere {

class SelectFolderForm {
public:
    explicit SelectFolderForm(PlatformOps& ops) : m_ops(ops) {}

    // Shows view at folder (any text; it need not exist) and returns 1 after OK, 2 after
    // Cancel. Only on 1 is folder replaced, by the folder open in the directory list.
    DialogResult ShowDialog(SelectFolderView& view, std::string& folder);

    void Form_Load(SelectFolderView& view);
    void btnOK_Click(SelectFolderView& view);
    void btnCancel_Click(SelectFolderView& view);
    void drvList_Change(SelectFolderView& view);
    // The user tried to open a folder the directory list cannot open.
    void dirList_OpenFailed(const std::string& reason);

private:
    PlatformOps& m_ops;
    DialogResult mResult = 0;
    std::string mFolder;
};

}  // namespace quillmere
