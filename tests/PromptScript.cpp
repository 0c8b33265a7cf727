#include "tests/PromptScript.h"

#include <gtest/gtest.h>

#include "platform/PlatformOps.h"

namespace quillmere::test {

int PromptScript::Answer(const std::string& text, int style, const std::optional<std::string>& title) {
    shown.push_back({text, style, title});
    m_log.push_back("prompt " + std::to_string(style) + " [" + title.value_or("-") + "] " + text);
    if (style != PromptStyle::YesNoQuestion) return PromptAnswer::Ok;
    if (answers.empty()) {
        ADD_FAILURE() << "question without a scripted answer: " << text;
        return PromptAnswer::No;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace quillmere::test
