#include "app/frmAbout.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include "app/HandlerGuard.h"
#include "app/Twips.h"
#include "app/UiFont.h"
#include "app/WindowSetup.h"
#include "platform/ProgramInfo.h"

namespace quillmere {

namespace {

const QColor kBlue(0, 0, 255);

// Calls back on a left click of the watched control.
class ClickFilter final : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick) : QObject(parent), m_onClick(std::move(onClick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_onClick();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClick;
};

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* label = AddControl<QLabel>(parent, QString::fromLatin1(name), geometry, text);
    FitText(*label, text, geometry.width());
    return label;
}

// A display-only text box on the dialog's own background, outside the tab order.
QLineEdit* AddTextBox(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* box = AddControl<QLineEdit>(parent, QString::fromLatin1(name), geometry, text);
    box->setReadOnly(true);
    box->setFrame(false);
    box->setFocusPolicy(Qt::NoFocus);
    box->setCursorPosition(0);
    // A text box draws its text two pixels in from each edge.
    FitText(*box, text, geometry.width() - 4);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    box->setPalette(palette);
    return box;
}

QFont LinkFont() {
    QFont font = JapaneseUiFont();
    font.setUnderline(true);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

frmAbout::frmAbout(PlatformOps& ops, QWidget* owner) : m_ops(ops), m_owner(owner), m_form(ops, *this) {}

// The application-wide hourglass while the desktop starts the mail program or the browser.
void frmAbout::SetMousePointer(MousePointer pointer) {
    if (pointer == MousePointer::Hourglass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void frmAbout::Show() {
    QDialog window(m_owner, FixedWindowFlags(Qt::Dialog));
    window.setObjectName(QStringLiteral("frmAbout"));
    window.setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 Tarnwick"));
    window.setWindowIcon(QIcon(QStringLiteral(":/icons/about-16.png")));
    window.setModal(true);
    window.setFixedSize(Twips::Rect(0, 0, 5655, 5265).size());

    auto* cmdOK = AddControl<QPushButton>(&window, QStringLiteral("cmdOK"), Twips::Rect(4200, 240, 1260, 345),
                                          QStringLiteral("OK"));
    cmdOK->setDefault(true);
    QObject::connect(cmdOK, &QPushButton::clicked, &window, &QDialog::accept);
    CancelOnEscape(window, *cmdOK);

    auto* picIcon = AddLabel(&window, "picIcon", QString(), Twips::Rect(240, 240, 540, 540));
    picIcon->setPixmap(QIcon(QStringLiteral(":/icons/quillmere.png")).pixmap(32, 32));
    picIcon->setAlignment(Qt::AlignCenter);
    AddLabel(&window, "lblVersion", QStringLiteral("Version %1").arg(QString::fromUtf8(ProgramInfo::kVersion)),
             Twips::Rect(2400, 540, 1245, 225));
    SetTextColour(
        AddLabel(&window, "lblTitle", QString::fromUtf8(ProgramInfo::kName), Twips::Rect(1050, 240, 2265, 300)),
        Qt::black);
    SetTextColour(AddLabel(&window, "lblDescription", QStringLiteral("PATオッズファイルをバックアップコピーします"),
                           Twips::Rect(1050, 960, 3885, 330)),
                  Qt::black);
    AddLabel(&window, "Label1", QString::fromUtf8(AboutForm::kMakerCredit), Twips::Rect(960, 1440, 4275, 255));

    auto* frame = AddControl<QGroupBox>(&window, QStringLiteral("Frame1"), Twips::Rect(240, 2700, 5175, 2415),
                                        QStringLiteral("使い方"));
    AddLabel(frame, "Label2", QStringLiteral("PATフォルダとコピー先フォルダを指定して実行すれば"),
             Twips::Rect(240, 360, 4695, 375));
    AddLabel(frame, "Label4", QStringLiteral("コピー先フォルダの下に日時(yyyymmdd_hhmmss)で"),
             Twips::Rect(240, 720, 4815, 375));
    AddLabel(frame, "Label5", QStringLiteral("サブフォルダを作成し、ファイル種別にマッチするファイルを"),
             Twips::Rect(240, 1080, 4815, 375));
    AddLabel(frame, "Label6", QStringLiteral("コピーします。 例）zo*.jra <-単複オッズファイル"),
             Twips::Rect(240, 1440, 4695, 375));
    AddLabel(frame, "Label7", QStringLiteral("PATファイル以外のバックアップにも使用できます。(^o^)/"),
             Twips::Rect(240, 1920, 4575, 375));

    AddTextBox(&window, "Text1", QStringLiteral("E-Mail  :"), Twips::Rect(1680, 1740, 735, 270));
    AddTextBox(&window, "Text3", QStringLiteral("HomePage  :"), Twips::Rect(1380, 2040, 1035, 270));
    auto* txtMail =
        AddTextBox(&window, "txtMail", QString::fromLatin1(AboutForm::kMakerMail), Twips::Rect(2520, 1740, 1215, 270));
    txtMail->setFont(LinkFont());
    FitText(*txtMail, txtMail->text(), txtMail->width() - 4);
    SetTextColour(txtMail, kBlue);
    txtMail->setCursor(QCursor(QPixmap(QStringLiteral(":/cursors/hand-letter.png")), 3, 28));
    auto* Label3 =
        AddLabel(&window, "Label3", QString::fromLatin1(AboutForm::kMakerHomePage), Twips::Rect(2520, 2040, 2805, 330));
    Label3->setFont(LinkFont());
    FitText(*Label3, Label3->text(), Label3->width());
    SetTextColour(Label3, kBlue);
    Label3->setCursor(QCursor(QPixmap(QStringLiteral(":/cursors/pointing-hand.png")), 10, 1));

    auto* Line1 = AddControl<QFrame>(&window, QStringLiteral("Line1"),
                                     QRect(QPoint(120 / Twips::kPerPixel, 2460 / Twips::kPerPixel),
                                           QPoint(5520 / Twips::kPerPixel, 2460 / Twips::kPerPixel)));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);

    txtMail->installEventFilter(
        new ClickFilter(txtMail, [this, &window] { RunHandler(m_ops, &window, [this] { m_form.txtMail_Click(); }); }));
    Label3->installEventFilter(
        new ClickFilter(Label3, [this, &window] { RunHandler(m_ops, &window, [this] { m_form.Label3_Click(); }); }));

    cmdOK->setFocus();
    window.exec();
}

}  // namespace quillmere
