#include "app/frmSelectFolder.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <functional>

#include "app/DirectoryList.h"
#include "app/DriveList.h"
#include "app/HandlerGuard.h"
#include "app/OpenListKeys.h"
#include "app/Twips.h"
#include "app/WindowSetup.h"

namespace quillmere {

namespace {

// One showing: the window with its controls, built when shown and gone when closed.
class SelectFolderWindow final : public SelectFolderView {
public:
    SelectFolderWindow(PlatformOps& ops, const VolumeList& volumes, QWidget* owner, SelectFolderForm& form)
        : m_ops(ops), m_form(form), m_window(owner, FixedWindowFlags(Qt::Dialog)) {
        m_window.setObjectName(QStringLiteral("frmSelectFolder"));
        m_window.setWindowTitle(QStringLiteral("フォルダの選択"));
        m_window.setModal(true);
        // A fixed place on the screen rather than centred: the client area's corner 2760, 3750.
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
        m_window.setGeometry(Twips::Rect(2760, 3750, 4155, 3075).translated(origin));
        m_window.setFixedSize(Twips::Rect(0, 0, 4155, 3075).size());

        m_drvList =
            AddControl<DriveList>(&m_window, QStringLiteral("drvList"), Twips::Rect(240, 180, 2235, 300), volumes);
        KeepOpenListKeys(*m_drvList);
        m_dirList = AddControl<DirectoryList>(&m_window, QStringLiteral("dirList"), Twips::Rect(240, 540, 2235, 2400),
                                              volumes.WorkingFolder());
        auto* btnOK = AddControl<QPushButton>(&m_window, QStringLiteral("btnOK"), Twips::Rect(2820, 120, 1215, 375),
                                              QStringLiteral("OK"));
        btnOK->setDefault(true);
        auto* btnCancel = AddControl<QPushButton>(&m_window, QStringLiteral("btnCancel"),
                                                  Twips::Rect(2820, 600, 1215, 375), QStringLiteral("ｷｬﾝｾﾙ"));
        QWidget::setTabOrder(m_drvList, m_dirList);
        QWidget::setTabOrder(m_dirList, btnOK);
        QWidget::setTabOrder(btnOK, btnCancel);

        QObject::connect(btnOK, &QPushButton::clicked, &m_window, [this] { Run(&SelectFolderForm::btnOK_Click); });
        QObject::connect(btnCancel, &QPushButton::clicked, &m_window,
                         [this] { Run(&SelectFolderForm::btnCancel_Click); });
        CancelOnEscape(m_window, *btnCancel);
        QObject::connect(m_drvList, &DriveList::Changed, &m_window, [this] { Run(&SelectFolderForm::drvList_Change); });
        QObject::connect(m_dirList, &DirectoryList::OpenFailed, &m_window, [this](const QString& reason) {
            RunHandler(m_ops, &m_window, [&] { m_form.dirList_OpenFailed(reason.toStdString()); });
        });
    }

    void ShowModal() override {
        Run(&SelectFolderForm::Form_Load);
        m_drvList->setFocus();
        m_window.exec();
    }
    void Close() override { m_window.done(0); }
    void SetDrive(const std::string& folder) override { m_drvList->SetDrive(QString::fromStdString(folder)); }
    std::string DriveFolder() const override { return m_drvList->DriveFolder().toStdString(); }
    void SetPath(const std::string& folder) override { m_dirList->SetPath(QString::fromStdString(folder)); }
    std::string Path() const override { return m_dirList->Path().toStdString(); }

private:
    void Run(void (SelectFolderForm::*handler)(SelectFolderView&)) {
        // Through std::invoke: g++ 12's check of the view's dynamic type, with AddressSanitizer,
        // reads outside the frame for "(m_form.*handler)(*this)" and stops the sanitized build.
        RunHandler(m_ops, &m_window, [this, handler] { std::invoke(handler, m_form, *this); });
    }

    PlatformOps& m_ops;
    SelectFolderForm& m_form;
    QDialog m_window;
    DriveList* m_drvList = nullptr;
    DirectoryList* m_dirList = nullptr;
};

}  // namespace

frmSelectFolder::frmSelectFolder(PlatformOps& ops, const VolumeList& volumes, QWidget* owner)
    : m_ops(ops), m_volumes(volumes), m_owner(owner), m_form(ops) {}

DialogResult frmSelectFolder::ShowDialog(std::string& folder) {
    SelectFolderWindow window(m_ops, m_volumes, m_owner, m_form);
    return m_form.ShowDialog(window, folder);
}

}  // namespace quillmere
