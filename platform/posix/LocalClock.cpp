// The local clock the stamp folders are named after.
#include "platform/SystemClock.h"

#include <ctime>

namespace quillmere::SystemClock {

LocalTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    ::tzset();
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !::localtime_r(&now, &local)) {
        throw PlatformError("現在の日時を取得できません");
    }
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace quillmere::SystemClock
