// The local clock the stamp folders are named after.
#include "platform/SystemClock.h"

#include <windows.h>

namespace quillmere::SystemClock {

LocalTime CurrentLocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace quillmere::SystemClock
