#pragma once

#include <QDateTime>
#include <QDialog>
#include <functional>

class QFileSystemModel;
class QLineEdit;
class QListWidget;
class QTreeView;

// Backs up the embedded database into a chosen folder, and restores one of the backups found
// there.
class TBackUpAccessFm : public QDialog {
    Q_OBJECT
public:
    explicit TBackUpAccessFm(QWidget *parent = nullptr);

    QLineEdit *folder() const { return m_folder; }
    QListWidget *files() const { return m_files; }
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    void folderChanged();
    void backupClick();
    void restoreClick();

    QLineEdit *m_folder = nullptr;
    QTreeView *m_tree = nullptr;
    QFileSystemModel *m_dirs = nullptr;
    QListWidget *m_files = nullptr;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};
