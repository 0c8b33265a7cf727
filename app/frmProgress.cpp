#include "app/frmProgress.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/Twips.h"
#include "app/WindowSetup.h"

namespace quillmere {

namespace {

// The bar counts in thousandths, so copies of any size fit its int range.
constexpr int kBarSteps = 1000;

}  // namespace

frmProgress::frmProgress(const QString& stampFolderName, std::function<void()> onStop, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_onStop(std::move(onStop)) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("バックアップ"));
    setFixedSize(Twips::Rect(0, 0, 5100, 2190).size());
    // The main window below shows the hourglass; this one takes clicks.
    setCursor(Qt::ArrowCursor);

    lblFolder =
        AddControl<QLabel>(this, QStringLiteral("lblFolder"), Twips::Rect(240, 180, 4620, 255), stampFolderName);
    prgBytes = AddControl<QProgressBar>(this, QStringLiteral("prgBytes"), Twips::Rect(240, 540, 4620, 285));
    prgBytes->setRange(0, kBarSteps);
    prgBytes->setTextVisible(false);
    lblCount = AddControl<QLabel>(this, QStringLiteral("lblCount"), Twips::Rect(240, 930, 4620, 255));
    lblFile = AddControl<QLabel>(this, QStringLiteral("lblFile"), Twips::Rect(240, 1230, 4620, 255));
    cmdStop = AddControl<QPushButton>(this, QStringLiteral("cmdStop"), Twips::Rect(3705, 1575, 1155, 420),
                                      QStringLiteral("中止"));
    cmdStop->setDefault(true);
    connect(cmdStop, &QPushButton::clicked, this, [this] { m_onStop(); });
}

void frmProgress::Show(const CopyProgress& progress) {
    const double share = progress.bytesTotal == 0
                             ? 1.0
                             : static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytesTotal);
    prgBytes->setValue(static_cast<int>(share * kBarSteps));
    lblCount->setText(QStringLiteral("%1 / %2 ファイル").arg(progress.filesDone).arg(progress.filesTotal));
    // A long name is cut in its middle, where names of data files differ least.
    const QString name = QString::fromStdString(progress.currentFile);
    lblFile->setText(lblFile->fontMetrics().elidedText(name, Qt::ElideMiddle, lblFile->width()));
    lblFile->setToolTip(name);
}

void frmProgress::closeEvent(QCloseEvent* event) {
    event->ignore();
    m_onStop();
}

void frmProgress::reject() {
    m_onStop();
}

}  // namespace quillmere
