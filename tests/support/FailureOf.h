// FailureOf: runs a call and answers the text of the PlatformError it throws, "" when it throws
// none, so a test can pin the whole message the user would see in one comparison.
#pragma once

#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::test {

template <typename Call>
std::string FailureOf(Call&& call) {
    try {
        call();
    } catch (const PlatformError& e) {
        return e.what();
    }
    return {};
}

}  // namespace quillmere::test
