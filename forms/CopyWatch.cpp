#include "forms/CopyWatch.h"

#include "platform/StopRequest.h"

namespace quillmere {

namespace {
constexpr char kTitle[] = "バックアップ";
constexpr char kAskStop[] = "バックアップを中止しますか？";
}  // namespace

void CopyWatch::Report(const CopyProgress& progress) {
    const std::lock_guard lock(m_mutex);
    m_latest = progress;
}

bool CopyWatch::StopRequested() {
    return m_stop || StopRequest::Requested();
}

CopyProgress CopyWatch::Latest() {
    const std::lock_guard lock(m_mutex);
    return m_latest;
}

void CopyWatch::AskToStop() {
    if (m_asking || m_stop) return;
    m_asking = true;
    HoldWindow(true);
    PromptAnswer answer = PromptAnswer::No;
    try {
        answer = m_ops.ShowPrompt(kAskStop, PromptStyle::YesNoQuestion, kTitle);
    } catch (...) {
        // No box, no answer: the copy goes on.
    }
    HoldWindow(false);
    m_asking = false;
    if (answer == PromptAnswer::Yes) m_stop = true;
}

std::string CopyWatch::StampName(const std::string& stampFolder) {
    const std::size_t separator = stampFolder.find_last_of(kPathSeparators);
    return separator == std::string::npos ? stampFolder : stampFolder.substr(separator + 1);
}

}  // namespace quillmere
