#include "ExcelExport.h"

#include "Prompt.h"
#include "export/SheetExport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>
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

// A new, unique file in the temporary folder; empty when none can be made.
QString newExportFile()
{
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("tsgl-导出-XXXXXX.xlsx")));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    const QString path = file.fileName();
    file.close();
    return path;
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
    if (!QFile::copy(path, part)) {
        QFile::remove(part);
        Prompt::error(parent, QStringLiteral("不能保存文件：") + target);
        return;
    }
    if (QFileInfo::exists(target))
        QFile::remove(target);
    if (!QFile::rename(part, target)) {
        Prompt::error(parent, QStringLiteral("不能保存文件：") + target);
        return;
    }
    QFile::remove(path);
}

void exportQuery(QWidget *parent, QSqlQuery &query, int firstField, int lastField)
{
    WaitCursor wait;
    const QString path = newExportFile();
    if (path.isEmpty()) {
        wait.restore();
        Prompt::error(parent, QStringLiteral("系统没excel，不能导出Excel！"),
                      QStringLiteral("错误"));
        return;
    }
    const SheetExport::Result result = SheetExport::writeQuery(query, firstField, lastField, path);
    wait.restore();
    if (!result.ok) {
        QFile::remove(path);
        Prompt::error(parent, QStringLiteral("系统没excel，不能导出Excel！"),
                      QStringLiteral("错误"));
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
    const QString path = ExcelExport::newExportFile();
    const SheetExport::Result result =
        path.isEmpty() ? SheetExport::Result{} : SheetExport::writeTexts(titles, rows, path);
    wait.restore();
    if (!result.ok) {
        if (!path.isEmpty())
            QFile::remove(path);
        Prompt::error(parent, QStringLiteral("NO excel ！"), QStringLiteral("错误"));
        return;
    }
    ExcelExport::handOver(parent, path);
}
