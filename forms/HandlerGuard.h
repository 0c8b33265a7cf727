// HandlerGuard: how every event handler of every window runs, whatever toolkit draws it. A failure
// nobody else reported is shown in a box titled with the program's name, after the front end has
// put every mouse pointer back, and the program goes on: nothing reaches the toolkit's event loop.
#pragma once

#include <functional>
#include <string>

#include "platform/PlatformOps.h"

namespace quillmere {

void RunGuarded(PlatformOps& ops, const std::function<void()>& handler, const std::function<void()>& putPointerBack);

// Called inside a catch block: what the user is told of the failure being handled. Throws only
// when even that text cannot be made (no memory left).
std::string CurrentFailure();

}  // namespace quillmere
