// SelectFolderWindow: the modal folder dialog behind each browse button of the main window, the
// Win32 view of SelectFolderForm. (A placeholder until the dialog itself is built.)
#pragma once

#include <windows.h>

#include <string>

#include "forms/SelectFolderForm.h"
#include "platform/PlatformOps.h"

namespace quillmere {

class SelectFolderWindow final : public SelectFolderView {
public:
    SelectFolderWindow(HWND owner, PlatformOps& ops);

    // See SelectFolderForm::ShowDialog.
    DialogResult Run(std::string& folder);

    void ShowModal() override {}
    void Close() override {}
    void SetDrive(const std::string&) override {}
    std::string DriveFolder() const override { return {}; }
    void SetPath(const std::string&) override {}
    std::string Path() const override { return {}; }

private:
    HWND m_owner;
    PlatformOps& m_ops;
    SelectFolderForm m_form;
};

}  // namespace quillmere
