#include "app/StandInWindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include <exception>

#include "settings/SettingsLayout.h"

namespace quillmere {

StandInWindow::StandInWindow(PlatformOps& ops) : m_ops(ops) {
    setWindowTitle(QString::fromUtf8(SettingsLayout::kAppName));
    auto* form = new QFormLayout(this);
    const char* labels[] = {"コピー元フォルダ", "コピー先フォルダ", "ファイル種別"};
    for (int i = 0; i < 3; ++i) {
        m_inputs[i] = new QLineEdit(this);
        m_inputs[i]->setMinimumWidth(320);
        form->addRow(QString::fromUtf8(labels[i]), m_inputs[i]);
    }
    auto* buttons = new QHBoxLayout;
    auto* exec = new QPushButton(QString::fromUtf8("実行"), this);
    auto* quit = new QPushButton(QString::fromUtf8("終了"), this);
    buttons->addStretch();
    buttons->addWidget(exec);
    buttons->addWidget(quit);
    form->addRow(buttons);

    connect(exec, &QPushButton::clicked, this, [this] {
        try {
            BackupRun(m_ops, *this).Run();
        } catch (const std::exception& e) {
            SetMousePointer(MousePointer::Default);
            m_ops.ShowPrompt(e.what(), PromptStyle::OkOnly, std::nullopt);
        }
    });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    for (QLineEdit* input : m_inputs) connect(input, &QLineEdit::returnPressed, exec, &QPushButton::click);
    LoadLastExec();
}

QLineEdit* StandInWindow::Input(BackupInput input) const {
    return m_inputs[static_cast<int>(input)];
}

std::string StandInWindow::InputText(BackupInput input) const {
    return Input(input)->text().toStdString();
}

void StandInWindow::FocusInput(BackupInput input) {
    Input(input)->setFocus();
}

void StandInWindow::SetMousePointer(int pointer) {
    if (pointer == MousePointer::Hourglass) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void StandInWindow::LoadLastExec() {
    using namespace SettingsLayout;
    const std::pair<const char*, const char*> keys[] = {
        {kKeySrcFolder, kDefaultFolder}, {kKeyDstFolder, kDefaultFolder}, {kKeyFileType, kDefaultFileType}};
    try {
        for (int i = 0; i < 3; ++i) {
            m_inputs[i]->setText(
                QString::fromStdString(m_ops.ReadSetting(kAppName, kSectionLastExec, keys[i].first, keys[i].second)));
        }
    } catch (const std::exception& e) {
        m_ops.ShowPrompt(e.what(), PromptStyle::OkOnly, std::nullopt);
    }
}

}  // namespace quillmere
