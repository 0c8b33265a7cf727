// frmAbout: the modal About window: title, version, description, the maker's credit line and
// addresses, and five lines of usage; the Qt view of AboutForm, which launches the two links.
//
// One object serves the whole run; its window is built anew for every showing.
#pragma once

#include "forms/AboutForm.h"
#include "platform/PlatformOps.h"

class QWidget;

namespace quillmere {

class frmAbout final : public AboutView {
public:
    frmAbout(PlatformOps& ops, QWidget* owner);

    void Show();
    void SetMousePointer(MousePointer pointer) override;

private:
    PlatformOps& m_ops;
    QWidget* m_owner;
    AboutForm m_form;
};

}  // namespace quillmere
