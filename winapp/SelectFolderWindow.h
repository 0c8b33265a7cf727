// SelectFolderWindow: the modal folder dialog behind each browse button of the main window, the
// Win32 view of SelectFolderForm: an owner-drawn drive list, an owner-drawn directory list, OK
// (Enter) and ｷｬﾝｾﾙ (Esc).
//
// One object serves the whole run, and so does its form; the window and its controls are built
// anew for every showing and destroyed when it closes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "forms/SelectFolderForm.h"
#include "platform/PlatformOps.h"

namespace quillmere {

class SelectFolderWindow final : public SelectFolderView {
public:
    SelectFolderWindow(HWND owner, PlatformOps& ops);
    ~SelectFolderWindow() override;

    // See SelectFolderForm::ShowDialog.
    DialogResult Run(std::string& folder);

    void ShowModal() override;
    void Close() override;
    void SetDrive(const std::string& folder) override;
    std::string DriveFolder() const override;
    void SetPath(const std::string& folder) override;
    std::string Path() const override;

private:
    class Showing;

    // Runs a handler of the form under the window's guard (see HandlerGuard.h).
    void Dispatch(void (SelectFolderForm::*handler)(SelectFolderView&));
    Showing& Shown() const;

    HWND m_owner;
    PlatformOps& m_ops;
    SelectFolderForm m_form;
    std::unique_ptr<Showing> m_showing;
};

}  // namespace quillmere
