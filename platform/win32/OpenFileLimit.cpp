// Windows has no per-process limit on open handles of the kind POSIX systems set.
#include "platform/OpenFileLimit.h"

namespace quillmere::OpenFileLimit {

void RaiseForCopies() {}

void WithStartingLimit(const std::function<void()>& start) {
    start();
}

}  // namespace quillmere::OpenFileLimit
