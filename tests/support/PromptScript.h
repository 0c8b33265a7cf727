// PromptScript: the user in front of the message boxes. Records every box in the shared call log
// and answers questions from a script; a question nobody scripted fails the test.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/PlatformOps.h"

namespace quillmere::test {

struct Prompt {
    std::string text;
    PromptStyle style;
    std::optional<std::string> title;
};

class PromptScript {
public:
    explicit PromptScript(std::vector<std::string>& log) : m_log(log) {}

    PromptAnswer Answer(const std::string& text, PromptStyle style, const std::optional<std::string>& title);

    std::deque<PromptAnswer> answers;  // for Yes/No boxes, in order; OK boxes need none
    std::vector<Prompt> shown;

private:
    std::vector<std::string>& m_log;
};

}  // namespace quillmere::test
