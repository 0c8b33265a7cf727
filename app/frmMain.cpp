#include "app/frmMain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

#include "app/BackgroundCopy.h"
#include "app/HandlerGuard.h"
#include "app/OpenListKeys.h"
#include "app/Twips.h"
#include "app/UiFont.h"
#include "app/WindowSetup.h"
#include "app/frmAbout.h"
#include "app/frmSelectFolder.h"
#include "settings/SettingsLayout.h"

namespace quillmere {

frmMain::frmMain(PlatformOps& ops, const VolumeList& volumes)
    : QWidget(nullptr, FixedWindowFlags(Qt::Window)), m_ops(ops), m_volumes(volumes), m_form(ops, *this) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(SettingsLayout::kAppName));
    QIcon icon(QStringLiteral(":/icons/quillmere.png"));
    icon.addFile(QStringLiteral(":/icons/quillmere-16.png"));
    setWindowIcon(icon);
    setFixedSize(Twips::Rect(0, 0, 6105, 2580).size());

    const QString labels[] = {QStringLiteral("コピー元フォルダ"), QStringLiteral("コピー先フォルダ"),
                              QStringLiteral("ファイル種別")};
    const int rowTops[] = {240, 720, 1260};
    for (int i = 0; i < 3; ++i) {
        Label1[i] = AddControl<QLabel>(this, QStringLiteral("Label1%1").arg(i),
                                       Twips::Rect(240, rowTops[i], i == 2 ? 1455 : 1395, 315), labels[i]);
        FitText(*Label1[i], labels[i], Label1[i]->width());
    }
    for (int i = 0; i < 2; ++i) {
        txtFolder[i] =
            AddControl<QLineEdit>(this, QStringLiteral("txtFolder%1").arg(i), Twips::Rect(1800, rowTops[i], 3555, 315));
        btnBrowseFolser[i] = AddControl<QPushButton>(this, QStringLiteral("btnBrowseFolser%1").arg(i),
                                                     Twips::Rect(5400, rowTops[i], 555, 315), QStringLiteral("参照"));
        connect(btnBrowseFolser[i], &QPushButton::clicked, this,
                [this, i] { RunHandler(m_ops, this, [this, i] { m_form.btnBrowseFolser_Click(i); }); });
    }
    // The list stays the nine wildcards: Enter on a typed one runs the backup, it never adds it.
    // A typed wildcard is kept exactly as typed, because one character changes what it matches
    // ("*." finds only names without an extension, "*.*" every name), so there is no completion.
    // Without a completer the box also matches its items case-sensitively when the focus leaves
    // it, and no longer swaps a typed "*.JRA" for the item "*.jra". Only picking sets an item.
    cmbFileNameFilter =
        AddControl<QComboBox>(this, QStringLiteral("cmbFileNameFilter"), Twips::Rect(1800, 1260, 3555, 300));
    cmbFileNameFilter->setEditable(true);
    cmbFileNameFilter->setInsertPolicy(QComboBox::NoInsert);
    cmbFileNameFilter->setCompleter(nullptr);
    cmbFileNameFilter->addItems({QStringLiteral("*.*"), QStringLiteral("*.jra"), QStringLiteral("*.csv"),
                                 QStringLiteral("*.lzh"), QStringLiteral("*.dat"), QStringLiteral("*.txt"),
                                 QStringLiteral("*.xls"), QStringLiteral("*.doc"), QStringLiteral("*.mdb")});
    KeepOpenListKeys(*cmbFileNameFilter);

    cmdAbout = AddControl<QPushButton>(this, QStringLiteral("cmdAbout"), Twips::Rect(240, 1860, 1155, 495),
                                       QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    btnExec = AddControl<QPushButton>(this, QStringLiteral("btnExec"), Twips::Rect(3180, 1860, 1155, 495),
                                      QStringLiteral("実行"));
    btnExec->setDefault(true);
    btnQuit = AddControl<QPushButton>(this, QStringLiteral("btnQuit"), Twips::Rect(4500, 1860, 1155, 495),
                                      QStringLiteral("終了"));

    QWidget* const tabOrder[] = {txtFolder[0],      btnBrowseFolser[0], txtFolder[1], btnBrowseFolser[1],
                                 cmbFileNameFilter, cmdAbout,           btnExec,      btnQuit};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(cmdAbout, &QPushButton::clicked, this, [this] { Run(&MainForm::cmdAbout_Click); });
    connect(btnExec, &QPushButton::clicked, this, [this] { Run(&MainForm::btnExec_Click); });
    connect(btnQuit, &QPushButton::clicked, this, &QWidget::close);
    // Enter and Esc act on the default and cancel buttons from every control of the window,
    // including the combo box, whose edit field would otherwise keep Enter to itself.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &frmMain::PressDefaultButton);
    }
    CancelOnEscape(*this, *btnQuit);

    Run(&MainForm::Form_Load);
    txtFolder[0]->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::Run(void (MainForm::*handler)()) {
    RunHandler(m_ops, this, [this, handler] { (m_form.*handler)(); });
}

std::string frmMain::InputText(BackupInput input) const {
    const QString text = input == BackupInput::FileType ? cmbFileNameFilter->currentText()
                                                        : txtFolder[input == BackupInput::SourceFolder ? 0 : 1]->text();
    return text.toStdString();
}

void frmMain::SetInputText(BackupInput input, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    switch (input) {
        case BackupInput::SourceFolder: txtFolder[0]->setText(shown); break;
        case BackupInput::DestinationFolder: txtFolder[1]->setText(shown); break;
        case BackupInput::FileType: cmbFileNameFilter->setEditText(shown); break;
    }
}

QWidget* frmMain::Input(BackupInput input) const {
    switch (input) {
        case BackupInput::SourceFolder: return txtFolder[0];
        case BackupInput::DestinationFolder: return txtFolder[1];
        case BackupInput::FileType: break;
    }
    return cmbFileNameFilter;
}

void frmMain::FocusInput(BackupInput input) {
    Input(input)->setFocus();
}

void frmMain::WatchCopy(const std::string& stampFolder, const std::function<void(CopyMonitor&)>& copy) {
    BackgroundCopy(m_ops, this).Watch(stampFolder, copy);
}

void frmMain::SetMousePointer(MousePointer pointer) {
    if (pointer == MousePointer::Hourglass) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

// Wayland neither places a window where the program asks nor tells it where the window is (a
// stored position stays for other sessions).
bool frmMain::PositionsWork() const {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// The place is the window frame's top-left corner on the virtual desktop.
bool frmMain::ShowsOnAScreen(float leftTwips, float topTwips) const {
    const QRect window(QPoint(Twips::ToPixels(leftTwips), Twips::ToPixels(topTwips)), size());
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [&](const QScreen* screen) { return screen->availableGeometry().intersects(window); });
}

void frmMain::MoveTo(float leftTwips, float topTwips) {
    move(Twips::ToPixels(leftTwips), Twips::ToPixels(topTwips));
}

int frmMain::LeftTwips() const {
    return Twips::FromPixels(pos().x());
}

int frmMain::TopTwips() const {
    return Twips::FromPixels(pos().y());
}

bool frmMain::IsMinimised() const {
    return isMinimized();
}

DialogResult frmMain::ShowSelectFolder(std::string& folder) {
    if (!m_selectFolder) m_selectFolder = std::make_unique<frmSelectFolder>(m_ops, m_volumes, this);
    return m_selectFolder->ShowDialog(folder);
}

void frmMain::ShowAbout() {
    if (!m_about) m_about = std::make_unique<frmAbout>(m_ops, this);
    m_about->Show();
}

// The close box, Quit and Esc all end here. The unload is never refused: a position that cannot
// be stored is reported and the program still ends.
void frmMain::closeEvent(QCloseEvent* event) {
    Run(&MainForm::Form_Unload);
    event->accept();
}

void frmMain::PressDefaultButton() {
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
        focused->click();
    } else {
        btnExec->click();
    }
}

}  // namespace quillmere
