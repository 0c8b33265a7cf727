// HandlerGuard: runs a window's event handler so that nothing it throws reaches Qt's event loop.
// A failure nobody else reported is shown in a box titled "Quillmere", every mouse pointer the
// handler may have set is put back, and the program goes on.
#pragma once

#include <functional>

#include "platform/PlatformOps.h"

class QWidget;

namespace quillmere {

void RunHandler(PlatformOps& ops, QWidget* window, const std::function<void()>& handler);

}  // namespace quillmere
