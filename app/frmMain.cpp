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

#include <exception>

#include "app/BackgroundCopy.h"
#include "app/HandlerGuard.h"
#include "app/OpenListKeys.h"
#include "app/Twips.h"
#include "app/UiFont.h"
#include "app/frmAbout.h"
#include "app/frmSelectFolder.h"
#include "settings/SettingsLayout.h"

namespace quillmere {

namespace {

// Wayland neither places a window where the program asks nor tells it where the window is, so
// there the position is neither restored nor stored (a stored one stays for other sessions).
bool WindowPositionsWork() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

frmMain::frmMain(PlatformOps& ops, const VolumeList& volumes)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_ops(ops),
      m_volumes(volumes) {
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
        Label1[i] = new QLabel(labels[i], this);
        Label1[i]->setObjectName(QStringLiteral("Label1%1").arg(i));
        Label1[i]->setGeometry(Twips::Rect(240, rowTops[i], i == 2 ? 1455 : 1395, 315));
        FitText(*Label1[i], labels[i], Label1[i]->width());
    }
    for (int i = 0; i < 2; ++i) {
        txtFolder[i] = new QLineEdit(this);
        txtFolder[i]->setObjectName(QStringLiteral("txtFolder%1").arg(i));
        txtFolder[i]->setGeometry(Twips::Rect(1800, rowTops[i], 3555, 315));
        btnBrowseFolser[i] = new QPushButton(QStringLiteral("参照"), this);
        btnBrowseFolser[i]->setObjectName(QStringLiteral("btnBrowseFolser%1").arg(i));
        btnBrowseFolser[i]->setGeometry(Twips::Rect(5400, rowTops[i], 555, 315));
        connect(btnBrowseFolser[i], &QPushButton::clicked, this, [this, i] { btnBrowseFolser_Click(i); });
    }
    // The list stays the nine wildcards: Enter on a typed one runs the backup, it never adds it.
    // A typed wildcard is kept exactly as typed, because one character changes what it matches
    // ("*." finds only names without an extension, "*.*" every name), so there is no completion.
    // Without a completer the box also matches its items case-sensitively when the focus leaves
    // it, and no longer swaps a typed "*.JRA" for the item "*.jra". Only picking sets an item.
    cmbFileNameFilter = new QComboBox(this);
    cmbFileNameFilter->setObjectName(QStringLiteral("cmbFileNameFilter"));
    cmbFileNameFilter->setEditable(true);
    cmbFileNameFilter->setInsertPolicy(QComboBox::NoInsert);
    cmbFileNameFilter->setCompleter(nullptr);
    cmbFileNameFilter->addItems({QStringLiteral("*.*"), QStringLiteral("*.jra"), QStringLiteral("*.csv"),
                                 QStringLiteral("*.lzh"), QStringLiteral("*.dat"), QStringLiteral("*.txt"),
                                 QStringLiteral("*.xls"), QStringLiteral("*.doc"), QStringLiteral("*.mdb")});
    cmbFileNameFilter->setGeometry(Twips::Rect(1800, 1260, 3555, 300));
    KeepOpenListKeys(*cmbFileNameFilter);

    cmdAbout = new QPushButton(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), this);
    cmdAbout->setObjectName(QStringLiteral("cmdAbout"));
    cmdAbout->setGeometry(Twips::Rect(240, 1860, 1155, 495));
    btnExec = new QPushButton(QStringLiteral("実行"), this);
    btnExec->setObjectName(QStringLiteral("btnExec"));
    btnExec->setGeometry(Twips::Rect(3180, 1860, 1155, 495));
    btnExec->setDefault(true);
    btnQuit = new QPushButton(QStringLiteral("終了"), this);
    btnQuit->setObjectName(QStringLiteral("btnQuit"));
    btnQuit->setGeometry(Twips::Rect(4500, 1860, 1155, 495));

    QWidget* const tabOrder[] = {txtFolder[0],      btnBrowseFolser[0], txtFolder[1], btnBrowseFolser[1],
                                 cmbFileNameFilter, cmdAbout,           btnExec,      btnQuit};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(btnExec, &QPushButton::clicked, this, &frmMain::btnExec_Click);
    connect(btnQuit, &QPushButton::clicked, this, &QWidget::close);
    // Enter and Esc act on the default and cancel buttons from every control of the window,
    // including the combo box, whose edit field would otherwise keep Enter to itself.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &frmMain::PressDefaultButton);
    }
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, btnQuit, &QPushButton::click);

    RunHandler(m_ops, this, [this] { Form_Load(); });
    txtFolder[0]->setFocus();
}

frmMain::~frmMain() = default;

std::string frmMain::InputText(BackupInput input) const {
    const QString text = input == BackupInput::FileType ? cmbFileNameFilter->currentText()
                                                        : txtFolder[input == BackupInput::SourceFolder ? 0 : 1]->text();
    return text.toStdString();
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
    BackgroundCopy(m_ops, this).Run(stampFolder, copy);
}

void frmMain::SetMousePointer(MousePointer pointer) {
    if (pointer == MousePointer::Hourglass) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

// Every read is one step in a fixed order. A store that cannot be read is reported once and the
// window opens with the defaults for that value and every later one.
void frmMain::Form_Load() {
    using namespace SettingsLayout;
    struct Read {
        const char* section;
        const char* key;
        const char* defaultValue;
    };
    const Read reads[] = {{kSectionMainWindow, kKeyLeft, kDefaultPositionText},
                          {kSectionMainWindow, kKeyTop, kDefaultPositionText},
                          {kSectionLastExec, kKeySrcFolder, kDefaultFolder},
                          {kSectionLastExec, kKeyDstFolder, kDefaultFolder},
                          {kSectionLastExec, kKeyFileType, kDefaultFileType}};
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
    txtFolder[0]->setText(QString::fromStdString(values[2]));
    txtFolder[1]->setText(QString::fromStdString(values[3]));
    cmbFileNameFilter->setEditText(QString::fromStdString(values[4]));
}

// The stored place of the window frame's top-left corner on the virtual desktop. A place that
// would leave the window wholly outside every screen (a monitor since unplugged) opens at the
// default instead; a partly visible one is kept as the user left it.
void frmMain::PlaceAt(double leftTwips, double topTwips) {
    if (!WindowPositionsWork()) return;
    QPoint place(Twips::ToPixels(leftTwips), Twips::ToPixels(topTwips));
    const QRect window(place, size());
    const auto screens = QGuiApplication::screens();
    const bool visible = std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->availableGeometry().intersects(window);
    });
    if (!visible) {
        place = QPoint(Twips::ToPixels(SettingsLayout::kDefaultPosition),
                       Twips::ToPixels(SettingsLayout::kDefaultPosition));
    }
    move(place);
}

void frmMain::Form_Unload() {
    if (isMinimized() || !WindowPositionsWork()) return;
    using namespace SettingsLayout;
    m_ops.WriteSetting(kAppName, kSectionMainWindow, kKeyLeft, PositionToText(Twips::FromPixels(pos().x())));
    m_ops.WriteSetting(kAppName, kSectionMainWindow, kKeyTop, PositionToText(Twips::FromPixels(pos().y())));
}

// The close box, Quit and Esc all end here. The unload is never refused: a position that cannot
// be stored is reported and the program still ends.
void frmMain::closeEvent(QCloseEvent* event) {
    RunHandler(m_ops, this, [this] { Form_Unload(); });
    event->accept();
}

void frmMain::btnExec_Click() {
    RunHandler(m_ops, this, [this] { BackupRun(m_ops, *this).Run(); });
}

void frmMain::btnBrowseFolser_Click(int index) {
    RunHandler(m_ops, this, [this, index] {
        if (!m_selectFolder) m_selectFolder = std::make_unique<frmSelectFolder>(m_ops, m_volumes, this);
        QString folder = txtFolder[index]->text();
        if (m_selectFolder->ShowDialog(folder) == 1) txtFolder[index]->setText(folder);
    });
}

void frmMain::cmdAbout_Click() {
    RunHandler(m_ops, this, [this] {
        if (!m_about) m_about = std::make_unique<frmAbout>(m_ops, this);
        m_about->Show();
    });
}

void frmMain::PressDefaultButton() {
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
        focused->click();
    } else {
        btnExec->click();
    }
}

}  // namespace quillmere
