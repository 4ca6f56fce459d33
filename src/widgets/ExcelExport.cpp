#include "ExcelExport.h"

#include "Prompt.h"
#include "export/ExportFolder.h"
#include "export/SheetExport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QUrl>

namespace ExcelExport {

namespace {

bool openWithDesktop(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

Opener &currentOpener()
{
    static Opener opener = openWithDesktop;
    return opener;
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
        m_active = false;
    }

private:
    bool m_active = true;
};

// The fixed message of a failed export with the reason beneath it.
void reportFailure(QWidget *parent, const QString &message, const QString &reason)
{
    Prompt::error(parent, reason.isEmpty() ? message : message + QLatin1Char('\n') + reason,
                  QStringLiteral("错误"));
}

// Gives the finished file to the spreadsheet program, or asks where to keep it.
void handOver(QWidget *parent, const QString &path)
{
    if (currentOpener()(path))
        return;
    const QString suggested =
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .filePath(QStringLiteral("导出.xlsx"));
    const QString target =
        Prompt::saveFileName(parent, QStringLiteral("没有能打开 Excel 文件的程序，请选择保存位置"),
                             suggested, QStringLiteral("Excel 文件 (*.xlsx)"));
    if (target.isEmpty()) {
        QFile::remove(path);
        return;
    }
    if (QFileInfo(target).absoluteFilePath() == QFileInfo(path).absoluteFilePath())
        return;
    // The copy is complete before an older file of that name is replaced.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    QFile written(path);
    if (!written.copy(part)) {
        QFile::remove(part);
        reportFailure(parent, QStringLiteral("不能保存文件：") + target, written.errorString());
        return;
    }
    if (QFileInfo::exists(target))
        QFile::remove(target);
    QFile copy(part);
    if (!copy.rename(target)) {
        reportFailure(parent, QStringLiteral("不能保存文件：") + target, copy.errorString());
        return;
    }
    QFile::remove(path);
}

void exportQuery(QWidget *parent, QSqlQuery &query, int firstField, int lastField)
{
    const QString failed = QStringLiteral("系统没excel，不能导出Excel！");
    WaitCursor wait;
    QString error;
    // The file stays in this run's export folder while the spreadsheet program has it.
    const QString path = ExportFolder::newFile(QStringLiteral(".xlsx"), &error);
    if (path.isEmpty()) {
        wait.restore();
        reportFailure(parent, failed, error);
        return;
    }
    const SheetExport::Result result = SheetExport::writeQuery(query, firstField, lastField, path);
    wait.restore();
    if (!result.ok) {
        QFile::remove(path);
        reportFailure(parent, failed, result.error);
        return;
    }
    if (result.truncated)
        Prompt::warning(parent, QStringLiteral("Excel 工作表最多有 %1 行，只导出了前 %2 行。")
                                    .arg(SheetExport::kMaxDataRows + 1)
                                    .arg(result.rows));
    handOver(parent, path);
}

} // namespace

Opener setOpener(Opener opener)
{
    Opener previous = currentOpener();
    currentOpener() = opener ? std::move(opener) : Opener(openWithDesktop);
    return previous;
}

} // namespace ExcelExport

void ExportDatasetToExcel(QWidget *parent, QSqlQuery &query, int firstField, int lastField)
{
    if (!query.isActive()) {
        Prompt::error(parent, Statement::lastError(query));
        return;
    }
    ExcelExport::exportQuery(parent, query, firstField, lastField);
}

void ExportDatasetToExcel(QWidget *parent, const Statement &statement, int firstField,
                          int lastField)
{
    QSqlQuery query;
    {
        ExcelExport::WaitCursor wait;
        query = statement.exec(true);
    }
    ExportDatasetToExcel(parent, query, firstField, lastField);
}

void ExportListViewToExcel(QWidget *parent, QTreeWidget *list)
{
    if (!list || list->topLevelItemCount() == 0)
        return;
    ExcelExport::WaitCursor wait;
    const int columns = list->columnCount();
    QStringList titles;
    QTreeWidgetItem *header = list->headerItem();
    // Columns in the order the user sees them (they may have been dragged).
    QVector<int> order;
    for (int visual = 0; visual < columns; ++visual)
        order << list->header()->logicalIndex(visual);
    for (int c : order)
        titles << (header ? header->text(c) : QString());
    QVector<QStringList> rows;
    rows.reserve(list->topLevelItemCount());
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        QStringList texts;
        for (int c : order)
            texts << item->text(c);
        rows.append(texts);
    }
    SheetExport::Result result;
    const QString path = ExportFolder::newFile(QStringLiteral(".xlsx"), &result.error);
    if (!path.isEmpty())
        result = SheetExport::writeTexts(titles, rows, path);
    wait.restore();
    if (!result.ok) {
        if (!path.isEmpty())
            QFile::remove(path);
        ExcelExport::reportFailure(parent, QStringLiteral("NO excel ！"), result.error);
        return;
    }
    ExcelExport::handOver(parent, path);
}
