#include "MarcImport.h"

#include "BookImport.h"
#include "ImportBatch.h"
#include "ImportValues.h"
#include "MarcReader.h"
#include "app/CommandLine.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"

#include <QElapsedTimer>
#include <QTextStream>

namespace MarcImport {

QString defaultStart(const QDateTime &now)
{
    return now.toString(QStringLiteral("ssMd"));
}

bool parseStart(const QString &text, qint32 *start)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (ok)
        *start = value;
    return ok;
}

QString invalidStartMessage()
{
    return QStringLiteral("请输入合法的数字！");
}

Statement statementFor(const MarcBook &book, qint64 number, const ImportContext &context)
{
    using ImportValues::nonNull;
    const QString empty = QStringLiteral("");
    return Statement(BookImport::insertText(), {QString::number(number),
                                                nonNull(book.isbn),
                                                nonNull(book.name),
                                                nonNull(book.publisher),
                                                nonNull(book.classNumber),
                                                nonNull(book.className),
                                                empty,
                                                empty,
                                                empty,
                                                nonNull(book.author),
                                                empty,
                                                1,
                                                ImportValues::money(book.price),
                                                nonNull(book.published),
                                                book.pageCount(),
                                                nonNull(book.isbn),
                                                empty,
                                                0,
                                                QStringLiteral("正常"),
                                                nonNull(book.summary),
                                                empty,
                                                0,
                                                empty,
                                                QStringLiteral("普通"),
                                                nonNull(context.adminName),
                                                sqlDate(context.today),
                                                empty,
                                                nonNull(book.attachment),
                                                empty,
                                                empty,
                                                empty,
                                                empty});
}

ImportSummary run(const QVector<MarcBook> &books, qint32 start, QSqlDatabase db,
                  const ImportContext &context, const Callbacks &callbacks, int batchSize)
{
    QElapsedTimer timer;
    timer.start();
    ImportSummary summary;
    ImportBatch batch(db, batchSize);
    const int total = books.size();
    int refused = 0;
    for (int k = 0; k < total; ++k) {
        if (callbacks.stopRequested && callbacks.stopRequested()) {
            summary.stopped = true;
            break;
        }
        const MarcBook &book = books.at(k);
        // 64-bit: a start near the top of 32 bits plus the records' positions stays exact.
        const Statement statement = statementFor(book, qint64(start) + k + 1, context);
        QString reason;
        if (!batch.write(statement, &reason)) {
            ++refused;
            if (callbacks.failed) {
                FailedRow failed;
                failed.row = k;
                failed.firstKey = book.isbn;
                failed.secondKey = book.name;
                failed.statement = statement.displayText();
                failed.reason = reason;
                failed.cells = book.previewTexts();
                callbacks.failed(failed);
            }
        }
        if (callbacks.progress)
            callbacks.progress(k + 1, total);
    }
    summary.finish(batch, refused, timer.elapsed());
    return summary;
}

int runCommand(const QString &path, QTextStream &out, QTextStream &err)
{
    const CommandLine::CommandOptions &options = CommandLine::commandOptions();
    if (options.randomNumbers) {
        err << QStringLiteral("马克marc数据导入没有随机编号 (--random-numbers)，请用 --start N.")
            << Qt::endl;
        return 2;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QString startText = options.start.isEmpty() ? defaultStart(now) : options.start;
    qint32 start = 0;
    if (!parseStart(startText, &start)) {
        err << invalidStartMessage() << Qt::endl;
        return 2;
    }

    QElapsedTimer reading;
    reading.start();
    const MarcReadResult read = MarcReader::readFile(path);
    for (const MarcProblem &problem : read.problems)
        err << problem.text() << Qt::endl;
    if (!read.error.isEmpty())
        err << read.error << Qt::endl;
    if (read.records.isEmpty() && !read.error.isEmpty())
        return 2;
    QVector<MarcBook> books;
    books.reserve(read.records.size());
    for (const MarcRecord &record : read.records)
        books.append(MarcBook::fromRecord(record));
    out << QStringLiteral("已导入:%1").arg(books.size()) << Qt::endl
        << QStringLiteral("读取时间:") + ImportTexts::elapsedText(reading.elapsed()).mid(3)
        << Qt::endl;

    Callbacks callbacks;
    callbacks.failed = [&](const FailedRow &row) {
        out << row.resultLine() << Qt::endl;
        err << QStringLiteral("第%1条: ").arg(row.row) << row.reason << Qt::endl;
    };
    const ImportSummary summary =
        run(books, start, SharedConnection::database(),
            ImportContext{now.date(), loginContext().adminName}, callbacks);
    for (const QString &line : ImportTexts::finalLines(summary))
        out << line << Qt::endl;
    out << ImportTexts::elapsedText(summary.elapsedMs) << Qt::endl
        << ImportTexts::doneText() << Qt::endl;
    return summary.failed > 0 || !read.problems.isEmpty() || !read.error.isEmpty() ? 1 : 0;
}

} // namespace MarcImport
