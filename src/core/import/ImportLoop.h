#pragma once

#include "ImportBatch.h"
#include "ImportMapping.h"
#include "ImportNumbering.h"

#include <QDateTime>
#include <QMetaType>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class SheetReader;

// A row the database (or the mapping) refused, as the import windows list it.
struct FailedRow {
    int row = 0;      // the sheet row, counted from 1 (the heading row is 1)
    QString firstKey; // the two values the result box names it by
    QString secondKey;
    QString statement; // the statement that failed, as display text
    QString reason;    // the database's message (or the mapping's)
    QStringList cells; // the texts of cells 1 to 20 of the row, always 20

    // The result box's line: the row number, a blank, the first key, a blank, the second.
    QString resultLine() const;
};

// How an import ended.

struct ImportSummary {
    int imported = 0; // rows written and committed
    int failed = 0;   // rows refused, and rows lost with a batch whose commit failed
    bool stopped = false;
    qint64 elapsedMs = 0;
    // Why the file could not be read (to its end); the rows before stay imported.
    QString fileError;
    // Why the database could not be reached, or why rows that had been written were lost
    // with a failed commit (lost counts them).
    QString databaseError;
    int lost = 0;

    // Ends an import: commits what the batch holds and takes its counts, with the rows the
    // caller saw refused and the time the import took.
    void finish(ImportBatch &batch, int refused, qint64 elapsed);
};

// The row loop shared by the spreadsheet imports. For each data row of the sheet, in order:
// the number (numbering options), the mapping's statement, the write through an ImportBatch
// (transactions committed every batchSize rows, a savepoint per row). A refused row is
// recorded and the loop goes on; a stop request is honoured between rows, and everything
// written until then is committed.
class ImportLoop {
public:
    struct Callbacks {
        // The row just handled and the last row of the sheet (the progress bar's maximum).
        std::function<void(int row, int lastRow)> progress;
        std::function<void(const FailedRow &row)> failed;
        // Asked between rows.
        std::function<bool()> stopRequested;
    };

    ImportLoop(const ImportMapping &mapping, const ImportNumbering &numbering,
               const ImportContext &context);

    // The clock of the random numbers (tests fix it).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    void setBatchSize(int rows) { m_batchSize = rows; }

    // Reads the opened sheet from its first data row on and writes the rows into db.
    ImportSummary run(SheetReader &reader, QSqlDatabase db, const Callbacks &callbacks);

private:
    const ImportMapping &m_mapping;
    ImportNumbering m_numbering;
    ImportContext m_context;
    std::function<QDateTime()> m_clock;
    int m_batchSize = ImportBatch::kDefaultRows;
};

// The texts the import windows and the import command show.
namespace ImportTexts {
// "n条数据(行数)": the data rows of a sheet of rowCount used rows (the heading row not counted).
QString rowsLabel(int rowCount);
// "n个项目(列数)"
QString columnsLabel(int columnCount);
// "成功导入了n行" and "导入失败了n行", and what went wrong with the file or a commit.
QStringList finalLines(const ImportSummary &summary);
// "时间:" and the duration as a long time (h:mm:ss).
QString elapsedText(qint64 ms);
QString doneText(); // "完成!"
} // namespace ImportTexts

Q_DECLARE_METATYPE(FailedRow)
Q_DECLARE_METATYPE(ImportSummary)
