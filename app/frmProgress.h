// frmProgress: the small window over the main window while a long backup copies: the stamp
// folder's name, a bar by bytes, "n / N ファイル", the file being copied and 中止 (Stop). Stop,
// Esc and the close box do not close it; they call the stop handler, which asks the user.
#pragma once

#include <QDialog>

#include <functional>

#include "platform/CopyMonitor.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillmere {

class frmProgress final : public QDialog {
public:
    frmProgress(const QString& stampFolderName, std::function<void()> onStop, QWidget* owner);

    void Show(const CopyProgress& progress);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc

private:
    std::function<void()> m_onStop;
    QLabel* lblFolder = nullptr;
    QProgressBar* prgBytes = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblFile = nullptr;
    QPushButton* cmdStop = nullptr;
};

}  // namespace quillmere
