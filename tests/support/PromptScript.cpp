#include "tests/support/PromptScript.h"

#include <gtest/gtest.h>

#include "platform/PlatformOps.h"

namespace quillmere::test {

PromptAnswer PromptScript::Answer(const std::string& text, PromptStyle style, const std::optional<std::string>& title) {
    shown.push_back({text, style, title});
    m_log.push_back("prompt " + std::to_string(static_cast<int>(style)) + " [" + title.value_or("-") + "] " + text);
    if (style != PromptStyle::YesNoQuestion) return PromptAnswer::Ok;
    if (answers.empty()) {
        ADD_FAILURE() << "question without a scripted answer: " << text;
        return PromptAnswer::No;
    }
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace quillmere::test
