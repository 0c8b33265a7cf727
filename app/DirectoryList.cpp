#include "app/DirectoryList.h"

#include <QDir>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <exception>

#include "platform/PlatformOps.h"
#include "platform/SystemFiles.h"

namespace quillmere {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

// Shifts each row right by its depth, so the root-to-folder chain reads as a tree. The shift is
// part of the row's width, so the list's scroll range reaches the end of the deepest row's name.
class IndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + Indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(index), 0);
    }

private:
    static int Indent(const QModelIndex& index) { return kIndentPixels * index.data(kDepthRole).toInt(); }
};

// The folder as the list keeps it: cleaned, without "." or ".." parts or a trailing "/".
QString CleanFolder(const QString& folder) {
    return QDir::cleanPath(folder);
}

// Throws when the folder cannot be listed, with the system's reason where it gives one.
void CheckOpenable(const QString& folder) {
    if (folder.isEmpty() || QDir::isRelativePath(folder)) {
        throw PlatformError((folder + QStringLiteral(": フォルダの場所が完全ではありません。")).toStdString());
    }
    SystemFiles::CheckListable(folder.toStdString());
}

}  // namespace

DirectoryList::DirectoryList(const QString& startFolder, QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirectoryList::OpenItem);
    try {
        SetPath(startFolder);
    } catch (const std::exception&) {
        // A start folder that has gone leaves the list empty until a folder is set.
    }
}

void DirectoryList::SetPath(const QString& folder) {
    const QString path = CleanFolder(folder);
    CheckOpenable(path);

    // The chain of folders from the root down to the open one. A name may hold any character but
    // "/": a folder named "C:" is an ordinary folder, not a volume's root.
    QStringList chain;
    for (QString folderInChain = path;;) {
        chain.prepend(folderInChain);
        const qsizetype slash = folderInChain.lastIndexOf(QLatin1Char('/'));
        if (slash < 0 || folderInChain.size() == 1) break;  // "/": the root
        folderInChain.truncate(slash == 0 ? 1 : slash);
    }
    // Hidden folders too: data kept under "~/.wine/drive_c" must be reachable without typing.
    const QFileInfoList subFolders =
        QDir(path).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int depth = 0;
    QListWidgetItem* open = nullptr;
    for (const QString& folderInChain : chain) {
        const QString name = depth == 0 ? folderInChain : QFileInfo(folderInChain).fileName();
        open = new QListWidgetItem(openIcon, name, this);
        open->setData(kPathRole, folderInChain);
        open->setToolTip(folderInChain);
        open->setData(kDepthRole, depth++);
    }
    for (const QFileInfo& sub : subFolders) {
        auto* item = new QListWidgetItem(closedIcon, sub.fileName(), this);
        item->setData(kPathRole, sub.absoluteFilePath());
        item->setToolTip(item->data(kPathRole).toString());
        item->setData(kDepthRole, depth);
    }
    setCurrentItem(open);
    m_path = path;
}

void DirectoryList::OpenItem(QListWidgetItem* item) {
    if (!item) return;
    try {
        SetPath(item->data(kPathRole).toString());
    } catch (const std::exception& e) {
        emit OpenFailed(QString::fromStdString(e.what()));
    }
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
    // Enter opens the highlighted folder. On the open folder itself it is left to the window, where
    // it presses the default button.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentItem() && currentItem()->data(kPathRole).toString() != m_path) {
        OpenItem(currentItem());
        event->accept();
        return;
    }
    if (enter) {
        event->ignore();
        return;
    }
    QListWidget::keyPressEvent(event);
}

}  // namespace quillmere
