#include "BatchCirculation.h"

#include "Lending.h"
#include "Returning.h"
#include "ScanLookup.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTextStream>

namespace BatchCirculation {

namespace {

Outcome refused(const QString &message)
{
    return {false, message};
}

// The unreturned loans of an item, oldest first, of one reader when readerNumber is given.
QList<qlonglong> openLoans(const ScanLookup::Item &item, const QString &readerNumber,
                           QString *error)
{
    Statement select(QStringLiteral("select id from 借出记录 where 编号="));
    select.value(item.number).text(QStringLiteral(" and 已还='否' and 类别=")).value(item.kind);
    if (!readerNumber.isEmpty())
        select.text(QStringLiteral(" and 读者编号=")).value(readerNumber);
    select.text(QStringLiteral(" order by id"));
    QSqlQuery q = select.exec();
    QList<qlonglong> ids;
    if (!q.isActive()) {
        *error = Statement::lastError(q);
        return ids;
    }
    while (q.next())
        ids << q.value(0).toLongLong();
    return ids;
}

// The one loan a return or renewal without a window means: the item's only unreturned loan,
// or the first of the named reader's.
bool chooseLoan(const BatchLine::Line &line, ScanLookup::Item *item, qlonglong *loanId,
                QString *message)
{
    if (ScanLookup::item(line.item, item, message) != ScanLookup::Found::One)
        return false;
    QString readerNumber;
    if (!line.reader.isEmpty()) {
        ScanLookup::Reader reader;
        if (ScanLookup::reader(line.reader, &reader, message) != ScanLookup::Found::One)
            return false;
        readerNumber = reader.number;
    }
    message->clear();
    const QList<qlonglong> ids = openLoans(*item, readerNumber, message);
    if (!message->isEmpty())
        return false;
    if (ids.isEmpty()) {
        *message = QStringLiteral("没有找到%1 %2 的未还借阅记录.").arg(item->kind, item->number);
        return false;
    }
    if (ids.size() > 1 && readerNumber.isEmpty()) {
        *message = QStringLiteral("%1 %2 有 %3 笔未还借阅记录,请在行末加上读者编号.")
                       .arg(item->kind, item->number)
                       .arg(ids.size());
        return false;
    }
    *loanId = ids.first();
    return true;
}

Outcome renew(const BatchLine::Line &line)
{
    ScanLookup::Item item;
    qlonglong id = 0;
    QString message;
    if (!chooseLoan(line, &item, &id, &message))
        return refused(message);
    if (!renewLoan(id, line.dueDate, &message))
        return refused(message);
    return {true, QStringLiteral("续借 %1 %2 《%3》,应还日期: %4")
                      .arg(item.kind, item.number, item.name,
                           line.dueDate.toString(QStringLiteral("yyyy-MM-dd")))};
}

// The borrowing window's steps for one reader and one item: the reader accepted, the item
// looked up (lapsing old reservations) and queued after its checks, then lent in one
// transaction that takes the copy only while one is on the shelf.
Outcome lend(const BatchLine::Line &line, const QDateTime &moment)
{
    LendingDesk desk;
    const LendingDesk::ReaderOutcome reader = desk.acceptReader(line.reader, moment.date());
    if (reader.status != LendingDesk::ReaderOutcome::Accepted)
        return refused(reader.message);
    if (!desk.categoryProblem().isEmpty())
        return refused(desk.categoryProblem());
    // Lending clears the desk: what the result line names is kept here.
    const QString readerNumber = desk.readerNumber();
    const QString readerName = desk.reader().value(QStringLiteral("读者姓名")).toString();
    ScanLookup::Item item;
    QString message;
    if (ScanLookup::item(line.item, &item, &message) != ScanLookup::Found::One)
        return refused(message);
    const LendingDesk::LookupOutcome found =
        desk.lookUpItems(item.kind, item.column, line.item, moment);
    if (!found.ok)
        return refused(found.message);
    if (found.rows.size() != 1)
        return refused(QStringLiteral("%1 中有多个%2为 \"%3\" 的记录,请用编号.")
                           .arg(item.kind, item.column, line.item));
    const LendingDesk::QueueOutcome queued = desk.queueItem(item.kind, found.rows.first());
    if (queued.status != LendingDesk::QueueOutcome::Queued)
        return refused(queued.message);
    const LendingDesk::LendOutcome lent = desk.lend(moment, false);
    if (lent.status != LendingDesk::LendOutcome::Lent)
        return refused(lent.message);
    if (lent.lent.isEmpty())
        return refused(lent.refusals.join(QLatin1Char(' ')));
    const LendingEntry &entry = lent.lent.first();
    QString text = QStringLiteral("借出 %1 %2 《%3》 给读者 %4 (%5),应还日期: %6")
                       .arg(entry.kind, entry.number, entry.title, readerNumber, readerName,
                            moment.date()
                                .addDays(entry.days.trimmed().toInt())
                                .toString(QStringLiteral("yyyy-MM-dd")));
    if (queued.loanLimitNotice)
        text += QLatin1Char(' ') + queued.message;
    return {true, text};
}

// The return window's "归还" for the chosen loan, with the computed rent period and rent at
// the day of the scan and no damage noted.
Outcome giveBack(const BatchLine::Line &line, const QDateTime &moment)
{
    ScanLookup::Item item;
    qlonglong id = 0;
    QString message;
    if (!chooseLoan(line, &item, &id, &message))
        return refused(message);
    Returning::ReturnRequest request;
    request.loanId = id;
    const Returning::ReturnOutcome returned = Returning::returnLoan(request, moment.date());
    if (!returned.ok)
        return refused(returned.message);
    const LoginContext &context = loginContext();
    QString text = QStringLiteral("归还 %1 %2 《%3》,读者 %4 (%5),租期 %6 天")
                       .arg(item.kind, item.number, returned.loan.name, returned.loan.readerNumber,
                            returned.loan.readerName)
                       .arg(returned.rentPeriod);
    if (context.rentEnabled)
        text += QStringLiteral(",租金 %1").arg(returned.rent.toString());
    if (context.overdueFineEnabled)
        text += QStringLiteral(",罚金 %1").arg(returned.fine.toString());
    if (context.rentEnabled || context.overdueFineEnabled)
        text += QStringLiteral(",扣款 %1").arg(returned.charged.toString());
    return {true, text};
}

} // namespace

Outcome run(const BatchLine::Line &line, const QDateTime &now)
{
    const QDateTime moment = line.scanned.isValid() ? line.scanned : now;
    switch (line.operation) {
    case BatchLine::Operation::Lend:
        return lend(line, moment);
    case BatchLine::Operation::Return:
        return giveBack(line, moment);
    case BatchLine::Operation::Renew:
        return renew(line);
    }
    return refused(QString());
}

bool renewLoan(qlonglong loanId, const QDate &dueDate, QString *error)
{
    QSqlQuery q = Statement(QStringLiteral("update 借出记录 set 应还日期="))
                      .value(sqlDate(dueDate))
                      .text(QStringLiteral(" where id="))
                      .value(loanId)
                      .text(QStringLiteral(" and 已还='否'"))
                      .exec();
    if (!q.isActive()) {
        *error = Statement::lastError(q);
        return false;
    }
    if (q.numRowsAffected() != 1) {
        *error = QStringLiteral("没有找到该借阅记录,请检查您输入的信息是否正确!");
        return false;
    }
    return true;
}

bool checkFile(const QString &path, QString *message)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        *message = info.exists() ? QStringLiteral("%1 不是文件.").arg(path)
                                 : QStringLiteral("文件 %1 不存在.").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *message = QStringLiteral("无法读取文件 %1: %2").arg(path, file.errorString());
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    for (int number = 1; !file.atEnd(); ++number) {
        // One byte more than a line may hold, and its line break.
        const QByteArray line = file.readLine(BatchLine::MaxLineBytes + 3);
        QByteArray bytes = line;
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.size() > BatchLine::MaxLineBytes) {
            *message = QStringLiteral("文件 %1 的第 %2 行超过 %3 字节,不是流通操作文件.")
                           .arg(path)
                           .arg(number)
                           .arg(BatchLine::MaxLineBytes);
            return false;
        }
        if (bytes.contains('\0')) {
            *message = QStringLiteral("文件 %1 不是文本文件 (第 %2 行含有二进制数据).")
                           .arg(path)
                           .arg(number);
            return false;
        }
        // The decoder works when its result is taken.
        const QString text = utf8.decode(bytes);
        if (utf8.hasError()) {
            *message = QStringLiteral("文件 %1 的第 %2 行不是 UTF-8 文本.").arg(path).arg(number);
            return false;
        }
    }
    return true;
}

int runFile(const QString &path, QTextStream &out, QTextStream &err)
{
    QString message;
    if (!checkFile(path, &message)) {
        err << message << Qt::endl;
        return 2;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << QStringLiteral("无法读取文件 %1: %2").arg(path, file.errorString()) << Qt::endl;
        return 2;
    }
    int done = 0;
    int refusedLines = 0;
    for (int number = 1; !file.atEnd(); ++number) {
        QString text = QString::fromUtf8(file.readLine(BatchLine::MaxLineBytes + 3));
        if (number == 1 && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        BatchLine::Line line;
        Outcome outcome;
        switch (BatchLine::parse(text, &line, &message)) {
        case BatchLine::Parse::Skip:
            continue;
        case BatchLine::Parse::Malformed:
            outcome = refused(message);
            break;
        case BatchLine::Parse::Line:
            outcome = run(line, QDateTime::currentDateTime());
            break;
        }
        const QString prefix = QStringLiteral("第 %1 行: ").arg(number);
        if (outcome.ok) {
            ++done;
            out << prefix << QStringLiteral("OK ") << outcome.message << Qt::endl;
        } else {
            ++refusedLines;
            out << prefix << QStringLiteral("拒绝: ") << outcome.message << Qt::endl;
        }
    }
    err << QStringLiteral("完成 %1 行,拒绝 %2 行.").arg(done).arg(refusedLines) << Qt::endl;
    return refusedLines > 0 ? 1 : 0;
}

} // namespace BatchCirculation
