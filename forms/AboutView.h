// AboutView: what the About window's logic (AboutForm) needs of the window: the pointer shown
// while the desktop starts a program.
#pragma once

#include "platform/PlatformOps.h"

namespace quillmere {

class AboutView {
public:
    virtual ~AboutView() = default;
    // Over the whole application, not only this window: the launch may take a moment.
    virtual void SetMousePointer(MousePointer pointer) = 0;
};

}  // namespace quillmere
