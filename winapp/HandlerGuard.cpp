#include "winapp/HandlerGuard.h"

#include "forms/HandlerGuard.h"
#include "winapp/BusyPointer.h"

namespace quillmere {

void RunWinHandler(PlatformOps& ops, const std::function<void()>& handler) {
    RunGuarded(ops, handler, [] { BusyPointer::Set(MousePointer::Default); });
}

}  // namespace quillmere
