#include "ImportLoop.h"

#include "ImportBatch.h"
#include "SheetReader.h"

#include <QElapsedTimer>
#include <QTime>

namespace {

constexpr int kListedCells = 20;

QStringList firstCells(const QStringList &cells)
{
    QStringList out = cells.mid(0, kListedCells);
    while (out.size() < kListedCells)
        out << QString();
    return out;
}

} // namespace

QString FailedRow::resultLine() const
{
    return QString::number(row) + QLatin1Char(' ') + firstKey + QLatin1Char(' ') + secondKey;
}

ImportLoop::ImportLoop(const ImportMapping &mapping, const ImportNumbering &numbering,
                       const ImportContext &context)
    : m_mapping(mapping)
    , m_numbering(mapping.takesNumbers() ? numbering : ImportNumbering())
    , m_context(context)
    , m_clock([] { return QDateTime::currentDateTime(); })
{}

ImportSummary ImportLoop::run(SheetReader &reader, QSqlDatabase db, const Callbacks &callbacks)
{
    QElapsedTimer timer;
    timer.start();
    ImportSummary summary;
    ImportBatch batch(db, m_batchSize);
    const int lastRow = reader.rowCount();
    int refused = 0;
    int row = 0;
    QStringList cells;
    while (true) {
        if (callbacks.stopRequested && callbacks.stopRequested()) {
            summary.stopped = true;
            break;
        }
        if (!reader.next(&row, &cells)) {
            summary.fileError = reader.error();
            break;
        }
        const QString number =
            m_numbering.next(row, cells.value(0), m_numbering.random() ? m_clock() : QDateTime());
        MappedRow mapped = m_mapping.map(cells, number, m_context);
        if (mapped.action == MappedRow::Action::Stop)
            break;
        if (mapped.action != MappedRow::Action::Skip) {
            QString reason = mapped.refusal;
            const bool written =
                mapped.action == MappedRow::Action::Write && batch.write(mapped.statement, &reason);
            if (!written) {
                ++refused;
                if (callbacks.failed) {
                    FailedRow failed;
                    failed.row = row;
                    failed.firstKey = mapped.firstKey;
                    failed.secondKey = mapped.secondKey;
                    failed.statement = mapped.statement.displayText();
                    failed.reason = reason;
                    failed.cells = firstCells(cells);
                    callbacks.failed(failed);
                }
            }
        }
        if (callbacks.progress)
            callbacks.progress(row, lastRow);
    }
    summary.finish(batch, refused, timer.elapsed());
    return summary;
}

void ImportSummary::finish(ImportBatch &batch, int refused, qint64 elapsed)
{
    batch.finish();
    imported = batch.rowsCommitted();
    lost = batch.rowsLost();
    databaseError = batch.commitError();
    failed = refused + lost;
    elapsedMs = elapsed;
}

namespace ImportTexts {

QString rowsLabel(int rowCount)
{
    return QString::number(qMax(0, rowCount - 1)) + QStringLiteral("条数据(行数)");
}

QString columnsLabel(int columnCount)
{
    return QString::number(columnCount) + QStringLiteral("个项目(列数)");
}

QStringList finalLines(const ImportSummary &summary)
{
    QStringList lines;
    if (!summary.fileError.isEmpty())
        lines << QStringLiteral("文件没有读完: ") + summary.fileError;
    if (summary.lost > 0)
        lines << QStringLiteral("有%1行写入后没能提交到数据库: %2")
                     .arg(summary.lost)
                     .arg(summary.databaseError);
    else if (!summary.databaseError.isEmpty())
        lines << QStringLiteral("数据库出错: ") + summary.databaseError;
    if (summary.stopped)
        lines << QStringLiteral("导入已停止");
    lines << QStringLiteral("成功导入了%1行").arg(summary.imported)
          << QStringLiteral("导入失败了%1行").arg(summary.failed);
    return lines;
}

QString elapsedText(qint64 ms)
{
    return QStringLiteral("时间:") + QTime(0, 0).addMSecs(ms).toString(QStringLiteral("H:mm:ss"));
}

QString doneText()
{
    return QStringLiteral("完成!");
}

} // namespace ImportTexts
