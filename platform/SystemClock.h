// SystemClock: the local time of the system (posix/ and win32/), which names the stamp folders.
// Throws PlatformError when the system cannot tell it.
#pragma once

#include "platform/PlatformOps.h"

namespace quillmere::SystemClock {

LocalTime CurrentLocalTime();

}  // namespace quillmere::SystemClock
