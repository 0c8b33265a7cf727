// StandInWindow: a plain form that runs a backup with the real platform until the main window
// with its full layout, browse buttons and About window takes its place.
#pragma once

#include <QWidget>

#include "backup/BackupRun.h"

class QLineEdit;

namespace quillmere {

class StandInWindow final : public QWidget, public BackupWindow {
public:
    explicit StandInWindow(PlatformOps& ops);

    std::string InputText(BackupInput input) const override;
    void FocusInput(BackupInput input) override;
    void SetMousePointer(int pointer) override;

private:
    QLineEdit* Input(BackupInput input) const;
    void LoadLastExec();

    PlatformOps& m_ops;
    QLineEdit* m_inputs[3] = {};
};

}  // namespace quillmere
