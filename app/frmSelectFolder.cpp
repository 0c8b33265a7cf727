#include "app/frmSelectFolder.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <exception>

#include "app/HandlerGuard.h"
#include "app/OpenListKeys.h"
#include "app/Twips.h"
#include "platform/qt/DirectoryList.h"
#include "platform/qt/DriveList.h"

namespace quillmere {

frmSelectFolder::frmSelectFolder(PlatformOps& ops, const VolumeList& volumes, QWidget* owner)
    : m_ops(ops), m_volumes(volumes), m_owner(owner) {}

qint16 frmSelectFolder::ShowDialog(QString& folder) {
    mFolder = folder;
    {
        QDialog window(m_owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                                    Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        window.setObjectName(QStringLiteral("frmSelectFolder"));
        window.setWindowTitle(QStringLiteral("フォルダの選択"));
        window.setModal(true);
        // A fixed place on the screen rather than centred: the client area's corner 2760, 3750.
        const QScreen* screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen();
        const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
        window.setGeometry(Twips::Rect(2760, 3750, 4155, 3075).translated(origin));
        window.setFixedSize(Twips::Rect(0, 0, 4155, 3075).size());

        auto* drvList = new DriveList(m_volumes, &window);
        drvList->setObjectName(QStringLiteral("drvList"));
        drvList->setGeometry(Twips::Rect(240, 180, 2235, 300));
        KeepOpenListKeys(*drvList);
        auto* dirList = new DirectoryList(m_volumes.WorkingFolder(), &window);
        dirList->setObjectName(QStringLiteral("dirList"));
        dirList->setGeometry(Twips::Rect(240, 540, 2235, 2400));
        auto* btnOK = new QPushButton(QStringLiteral("OK"), &window);
        btnOK->setObjectName(QStringLiteral("btnOK"));
        btnOK->setGeometry(Twips::Rect(2820, 120, 1215, 375));
        btnOK->setDefault(true);
        auto* btnCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), &window);
        btnCancel->setObjectName(QStringLiteral("btnCancel"));
        btnCancel->setGeometry(Twips::Rect(2820, 600, 1215, 375));
        QWidget::setTabOrder(drvList, dirList);
        QWidget::setTabOrder(dirList, btnOK);
        QWidget::setTabOrder(btnOK, btnCancel);

        QObject::connect(btnOK, &QPushButton::clicked, &window, [&] {
            RunHandler(m_ops, &window, [&] {
                // A list that could open no folder at all has none to give; the text handed in stays.
                if (!dirList->Path().isEmpty()) mFolder = dirList->Path();
                mResult = 1;
                window.accept();
            });
        });
        QObject::connect(btnCancel, &QPushButton::clicked, &window, [&] {
            mResult = 2;
            window.reject();
        });
        // Esc is the Cancel button; QDialog's own Esc would close like the close box instead.
        QObject::connect(new QShortcut(QKeySequence(Qt::Key_Escape), &window), &QShortcut::activated, btnCancel,
                         &QPushButton::click);
        QObject::connect(drvList, &DriveList::Changed, &window,
                         [&] { RunHandler(m_ops, &window, [&] { drvList_Change(*drvList, *dirList); }); });
        QObject::connect(dirList, &DirectoryList::OpenFailed, &window, [&](const QString& reason) {
            RunHandler(m_ops, &window,
                       [&] { m_ops.ShowPrompt(reason.toStdString(), PromptStyle::OkExclamation, std::nullopt); });
        });

        RunHandler(m_ops, &window, [&] { Load(*drvList, *dirList); });
        drvList->setFocus();
        window.exec();
    }
    if (mResult == 1) folder = mFolder;
    return mResult;
}

// Both steps are tried whatever the other did, and a failure is not reported: a folder handed in
// that is empty, missing or on a volume that cannot be read simply opens the lists elsewhere.
void frmSelectFolder::Load(DriveList& drvList, DirectoryList& dirList) {
    try {
        drvList.SetDrive(mFolder);
    } catch (const PlatformError&) {
    }
    try {
        dirList.SetPath(mFolder);
    } catch (const PlatformError&) {
    }
}

// A volume that cannot be read puts the drive list back on the volume of the folder still open in
// the directory list. That is itself a change of the drive and runs this again, nested, which
// moves the directory list to that volume's start folder.
void frmSelectFolder::drvList_Change(DriveList& drvList, DirectoryList& dirList) {
    try {
        dirList.SetPath(drvList.DriveFolder());
    } catch (const PlatformError&) {
        // An empty list (the working folder has gone) has no volume to go back to.
        if (!dirList.Path().isEmpty()) drvList.SetDrive(dirList.Path());
    }
}

}  // namespace quillmere
