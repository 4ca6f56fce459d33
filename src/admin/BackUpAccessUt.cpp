#include "BackUpAccessUt.h"

#include "Prompt.h"
#include "db/Backup.h"
#include "db/SharedConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

TBackUpAccessFm::TBackUpAccessFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBackUpAccessFm"));
    setWindowTitle(QStringLiteral("备份数据"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 420);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("请选择好要备份的位置"), this));
    m_folder = new QLineEdit(this);
    layout->addWidget(m_folder);

    auto *row = new QHBoxLayout;
    m_dirs = new QFileSystemModel(this);
    m_dirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirs->setRootPath(QDir::rootPath());
    m_tree = new QTreeView(this);
    m_tree->setModel(m_dirs);
    for (int column = 1; column < m_dirs->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    row->addWidget(m_tree, 3);
    m_files = new QListWidget(this);
    row->addWidget(m_files, 2);
    layout->addLayout(row, 1);

    auto *hint = new QLabel(
        QStringLiteral("还原数据: 在右边的列表中选择一个备份文件,按\"还原\". 当前的数据会先保存在"
                       "数据库文件旁边,文件名带有还原的时间."),
        this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto *buttons = new QHBoxLayout;
    auto *backup = new QPushButton(QStringLiteral("备份"), this);
    auto *restore = new QPushButton(QStringLiteral("还原"), this);
    auto *back = new QPushButton(QStringLiteral("返回"), this);
    buttons->addStretch();
    buttons->addWidget(backup);
    buttons->addWidget(restore);
    buttons->addWidget(back);
    layout->addLayout(buttons);

    connect(m_tree, &QTreeView::clicked, this,
            [this](const QModelIndex &index) { m_folder->setText(m_dirs->filePath(index)); });
    connect(m_folder, &QLineEdit::textChanged, this, &TBackUpAccessFm::folderChanged);
    connect(backup, &QPushButton::clicked, this, &TBackUpAccessFm::backupClick);
    connect(restore, &QPushButton::clicked, this, &TBackUpAccessFm::restoreClick);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);

    // The library's own folder to start with: its earlier backups are often there.
    const QString library =
        SharedConnection::isOpen() ? SharedConnection::database().databaseName() : QString();
    m_folder->setText(library.isEmpty() ? QDir::homePath() : QFileInfo(library).absolutePath());
}

void TBackUpAccessFm::folderChanged()
{
    m_files->clear();
    m_files->addItems(Backup::filesIn(m_folder->text()));
    const QModelIndex index = m_dirs->index(m_folder->text());
    if (index.isValid()) {
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    }
}

void TBackUpAccessFm::backupClick()
{
    const Backup::Outcome out = Backup::backupTo(m_folder->text(), m_clock());
    if (!out.ok) {
        Prompt::error(this, out.message);
        return;
    }
    folderChanged();
    setWindowTitle(QStringLiteral("备份数据 ") + QDir::toNativeSeparators(out.path));
    Prompt::info(this, out.message);
}

void TBackUpAccessFm::restoreClick()
{
    QListWidgetItem *item = m_files->currentItem();
    if (!item) {
        Prompt::info(this, QStringLiteral("请在列表中选择要还原的备份文件."));
        return;
    }
    const QString file = QDir(m_folder->text()).filePath(item->text());
    if (!Prompt::ask(this,
                     QStringLiteral("用备份 %1 替换数据库中的全部数据?\n当前的数据会先保存在数据库"
                                    "文件旁边.")
                         .arg(QDir::toNativeSeparators(file)),
                     Prompt::Answer::No))
        return;
    const Backup::Outcome out = Backup::restore(file, m_clock());
    if (!out.ok) {
        Prompt::error(this, out.message);
        return;
    }
    Prompt::info(this, out.message);
}
