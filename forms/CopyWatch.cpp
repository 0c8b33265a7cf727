#include "forms/CopyWatch.h"

#include <system_error>
#include <utility>

#include "backup/FileModule.h"
#include "platform/StopRequest.h"

namespace quillmere {

namespace {
constexpr char kAskStop[] = "バックアップを中止しますか？";
constexpr char kCompletedFirst[] = "中止する前にバックアップが完了しました。";
constexpr char kNoThread[] = "コピーのスレッドを開始できません。";
}  // namespace

void CopyWatch::Watch(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) {
    RunCopy(stampFolder, copy);
    if (m_answeredYes) {
        m_ops.ShowPrompt(
            kCompletedFirst + std::to_string(Latest().filesDone) + " 個のファイルをコピーしました。\n" + stampFolder,
            PromptStyle::OkOnly, FileModule::kBackupTitle);
    }
}

std::thread CopyWatch::StartThread(const std::string& stampFolder, std::function<void()> body) {
    try {
        return std::thread(std::move(body));
    } catch (const std::system_error& e) {
        throw PlatformError(stampFolder + ": " + kNoThread + e.code().message());
    }
}

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
        answer = m_ops.ShowPrompt(kAskStop, PromptStyle::YesNoQuestion, FileModule::kBackupTitle);
    } catch (...) {
        // No box, no answer: the copy goes on.
    }
    HoldWindow(false);
    m_asking = false;
    if (answer == PromptAnswer::Yes) {
        m_stop = true;
        m_answeredYes = true;
    }
}

std::string CopyWatch::StampName(const std::string& stampFolder) {
    const std::size_t separator = stampFolder.find_last_of(kPathSeparators);
    return separator == std::string::npos ? stampFolder : stampFolder.substr(separator + 1);
}

}  // namespace quillmere
