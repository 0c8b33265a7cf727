// frmAbout: the modal About window: title, version, description, the maker's credit line and
// addresses, and five lines of usage. Clicking the mail address or the home page asks the desktop
// to open a new mail or the page, through PlatformOps::LaunchCommand with fixed command texts.
//
// One object serves the whole run; its window is built anew for every showing.
#pragma once

#include <string>

#include "platform/PlatformOps.h"

class QWidget;

namespace quillmere {

class frmAbout {
public:
    frmAbout(PlatformOps& ops, QWidget* owner);

    void Show();

private:
    void Launch(QWidget* window, const std::string& command);

    PlatformOps& m_ops;
    QWidget* m_owner;
};

}  // namespace quillmere
