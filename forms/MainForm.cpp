#include "forms/MainForm.h"

#include <exception>
#include <iterator>

#include "settings/SettingsLayout.h"

namespace quillmere {

namespace {

BackupInput FolderRow(int index) {
    return index == 0 ? BackupInput::SourceFolder : BackupInput::DestinationFolder;
}

}  // namespace

// Every read is one step in a fixed order. A store that cannot be read is reported once and the
// window opens with the defaults for that value and every later one.
void MainForm::Form_Load() {
    using namespace SettingsLayout;
    const StoredValue reads[] = {kPosition[0], kPosition[1], kLastExec[0], kLastExec[1], kLastExec[2]};
    std::string values[std::size(reads)];
    for (std::size_t i = 0; i < std::size(reads); ++i) values[i] = reads[i].defaultValue;
    for (std::size_t i = 0; i < std::size(reads); ++i) {
        try {
            values[i] = m_ops.ReadSetting(kAppName, reads[i].section, reads[i].key, reads[i].defaultValue);
        } catch (const std::exception& e) {
            m_ops.ShowPrompt(std::string("設定を読み込めませんでした。既定の値で始めます。\n") + e.what(),
                             PromptStyle::OkOnly, std::nullopt);
            break;
        }
    }
    PlaceAt(StoredPosition(values[0]), StoredPosition(values[1]));
    m_view.SetInputText(BackupInput::SourceFolder, values[2]);
    m_view.SetInputText(BackupInput::DestinationFolder, values[3]);
    m_view.SetInputText(BackupInput::FileType, values[4]);
}

// A place that would leave the window wholly outside every screen (a monitor since unplugged)
// opens at the default instead; a partly visible one is kept as the user left it.
void MainForm::PlaceAt(float leftTwips, float topTwips) {
    if (!m_view.PositionsWork()) return;
    if (!m_view.ShowsOnAScreen(leftTwips, topTwips)) {
        leftTwips = topTwips = SettingsLayout::kDefaultPosition;
    }
    m_view.MoveTo(leftTwips, topTwips);
}

// The unload is never refused: a position that cannot be stored is reported by whoever runs the
// handler and the program still ends.
void MainForm::Form_Unload() {
    if (m_view.IsMinimised() || !m_view.PositionsWork()) return;
    using namespace SettingsLayout;
    m_ops.WriteSetting(kAppName, kSectionMainWindow, kKeyLeft, PositionToText(static_cast<float>(m_view.LeftTwips())));
    m_ops.WriteSetting(kAppName, kSectionMainWindow, kKeyTop, PositionToText(static_cast<float>(m_view.TopTwips())));
}

void MainForm::btnExec_Click() {
    BackupRun(m_ops, m_view).Run();
}

void MainForm::Session_End(bool copyStopped) {
    if (copyStopped) BackupRun(m_ops, m_view).SaveLastExec();
    Form_Unload();
}

// The row's text as it stands (untrimmed, perhaps no folder at all) is where the dialog opens; a
// Windows drive path on Linux opens at its Wine drive's folder.
void MainForm::btnBrowseFolser_Click(int index) {
    std::string folder = m_ops.SystemPath(m_view.InputText(FolderRow(index)));
    if (m_view.ShowSelectFolder(folder) == 1) m_view.SetInputText(FolderRow(index), folder);
}

void MainForm::cmdAbout_Click() {
    m_view.ShowAbout();
}

}  // namespace quillmere
