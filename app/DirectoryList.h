// DirectoryList: the folders from a volume's root down to the open folder, then the open folder's
// sub-folders, hidden ones included, indented like a tree. Each row's tool tip is its full path.
//
// A single click only highlights a folder; a double click or Enter opens it.
// Path() is the open folder, never the highlighted one: a full path without a trailing separator
// except at a volume's root. SetPath() to a folder that cannot be opened throws PlatformError and
// leaves the list as it was; a folder the user fails to open is reported through OpenFailed().
#pragma once

#include <QListWidget>

namespace quillmere {

class DirectoryList final : public QListWidget {
    Q_OBJECT

public:
    // Opens startFolder when it can be read; the list stays empty otherwise.
    explicit DirectoryList(const QString& startFolder, QWidget* parent = nullptr);

    QString Path() const { return m_path; }
    void SetPath(const QString& folder);

signals:
    void OpenFailed(const QString& reason);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OpenItem(QListWidgetItem* item);

    QString m_path;
};

}  // namespace quillmere
