#include "Lending.h"

#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/RowOrder.h"
#include "db/Schema.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "print/ReceiptWriter.h"

#include <QSqlQuery>

const QString LendingDesk::Book = QStringLiteral("图书");
const QString LendingDesk::Periodical = QStringLiteral("期刊");
const QString LendingDesk::ByNumber = QStringLiteral("编号");
const QString LendingDesk::ByBarcode = QStringLiteral("条形码");

namespace {

const QString kNoReader = QStringLiteral("请输入读者编号后按回车!");
const QString kNoCopy = QStringLiteral("数量不足.");
const QString kNoCategory =
    QStringLiteral("读者类别中没有该读者类别,请先去读者类别中设置好对应的类别及其参数");

// A column as text, empty when null (a null number would otherwise read as "0").
QString text(const QVariant &v)
{
    return v.isNull() ? QString() : v.toString();
}

QString text(const QSqlRecord &r, const char *column)
{
    return text(r.value(QString::fromUtf8(column)));
}

// A money column as the desk shows it: shortest decimal form, empty when null.
QString moneyText(const QVariant &v)
{
    return v.isNull() ? QString() : Money::fromVariant(v).toString();
}

QString levelMessage(const QString &level)
{
    return QStringLiteral("已经超出物品级别中规定的（ ") + level +
           QStringLiteral(" ）的物品级别的可借数量，不能再借了!");
}

// Why a category value cannot be used, or empty.
QString valueProblem(const QString &category, const QString &what, const QString &value, bool money)
{
    bool ok = false;
    const QString v = value.trimmed();
    if (money)
        ok = Money::parse(v).has_value();
    else
        v.toInt(&ok);
    if (ok)
        return QString();
    const QString why =
        v.isEmpty() ? QStringLiteral("没有填写") : QStringLiteral("“%1”不是数字").arg(value);
    return QStringLiteral("读者类别“%1”的%2%3,请先去读者类别中设置好对应的参数")
        .arg(category, what, why);
}

QVariant nullableText(const QVariant &v)
{
    return v.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(v.toString());
}

} // namespace

const QStringList &LendingEntry::captions()
{
    static const QStringList c{QStringLiteral("编号"),    QStringLiteral("条形码"),
                               QStringLiteral("名称"),    QStringLiteral("类别"),
                               QStringLiteral("天数"),    QStringLiteral("租金"),
                               QStringLiteral("物品级别")};
    return c;
}

QStringList LendingEntry::fields() const
{
    return {number, barcode, title, kind, days, rent, level};
}

QString LendingDesk::readerNumber() const
{
    return text(m_reader, "读者编号");
}

void LendingDesk::dropReader()
{
    m_reader = QSqlRecord();
    m_loanLimit.clear();
    m_loanDays.clear();
    m_categoryRent.clear();
    m_categoryProblem.clear();
}

LendingDesk::ReaderOutcome LendingDesk::acceptReader(const QString &typed, const QDate &today)
{
    ReaderOutcome out;
    const LoginContext &ctx = loginContext();
    const QString v = typed.trimmed();
    // A text that is one reader's number and another's card number finds the number first.
    Statement find(QStringLiteral("select * from 读者库 where 读者编号="));
    find.value(v).text(QStringLiteral(" or CardId=")).value(v);
    find.text(QStringLiteral(" order by case when 读者编号=")).value(v);
    find.text(QStringLiteral(" then 0 else 1 end, 读者编号"));
    QSqlQuery q = find.exec();
    if (!q.isActive()) {
        out.message = Statement::lastError(q);
        return out;
    }
    if (!q.next()) {
        dropReader();
        out.status = ReaderOutcome::NotFound;
        out.message = QStringLiteral("没有该编号/卡号的读者资料,请检查输入的是否正确!");
        return out;
    }
    const QSqlRecord reader = q.record();
    const QString state = text(reader, "状态");
    if (state != QStringLiteral("正常")) {
        dropReader();
        out.status = ReaderOutcome::Refused;
        out.message = QStringLiteral("该用户状态是\"") + state +
                      QStringLiteral("\",所以不能使用,只有状态为\"正常\"的用户才可用!");
        return out;
    }
    const QDate validUntil = dateFromSql(reader.value(QStringLiteral("有效期")));
    if (ctx.readerValidityEnabled && validUntil.isValid() && validUntil < today) {
        dropReader();
        out.status = ReaderOutcome::Refused;
        out.message = QStringLiteral("该读者有效期是: ") +
                      validUntil.toString(QStringLiteral("yyyy-MM-dd")) +
                      QStringLiteral(" ,已经超期,不能借阅.");
        return out;
    }

    const QString category = text(reader, "类别");
    Statement cat(QStringLiteral("select * from 读者类别 where 类别名="));
    cat.value(category).text(RowOrder::orderBy());
    QSqlQuery c = cat.exec();
    if (!c.isActive()) {
        out.message = Statement::lastError(c);
        return out;
    }
    dropReader();
    m_reader = reader;
    if (!c.next()) {
        // The reader is shown, but nothing is queued or lent without his lending rules.
        m_categoryProblem = kNoCategory;
        out.status = ReaderOutcome::CategoryProblem;
        out.message = kNoCategory;
        return out;
    }
    m_loanLimit = text(c.value(QStringLiteral("借阅数量限制")));
    m_loanDays = text(c.value(QStringLiteral("借阅天数")));
    m_categoryRent = moneyText(c.value(QStringLiteral("租金")));
    m_categoryProblem = valueProblem(category, QStringLiteral("借阅天数"), m_loanDays, false);
    if (m_categoryProblem.isEmpty() && ctx.loanLimitEnabled)
        m_categoryProblem =
            valueProblem(category, QStringLiteral("借阅数量限制"), m_loanLimit, false);
    if (m_categoryProblem.isEmpty() && ctx.rentEnabled && ctx.readerRentEnabled)
        m_categoryProblem = valueProblem(category, QStringLiteral("租金"), m_categoryRent, true);
    if (!m_categoryProblem.isEmpty()) {
        out.status = ReaderOutcome::CategoryProblem;
        out.message = m_categoryProblem;
        return out;
    }
    out.status = ReaderOutcome::Accepted;
    return out;
}

LendingDesk::LookupOutcome LendingDesk::lookUpItems(const QString &kind, const QString &column,
                                                    const QString &typed, const QDateTime &now)
{
    LookupOutcome out;
    if (!hasReader()) {
        out.message = kNoReader;
        return out;
    }
    // The kind is a table name and the column a column name: only the two choices pass.
    if ((kind != Book && kind != Periodical) || !Schema::findTable(kind)) {
        out.message = QStringLiteral("物品类别只能是“图书”或“期刊”,不能是“%1”").arg(kind);
        return out;
    }
    const QString col = Schema::checkedColumn(kind, column);
    if (col != ByNumber && col != ByBarcode) {
        out.message = QStringLiteral("只能按“编号”或“条形码”查找,不能按“%1”").arg(column);
        return out;
    }
    if (loginContext().reservationEnabled) {
        // Book reservations past their time lapse; periodical ones are left to the staff.
        Statement lapse(
            QStringLiteral("update 图书 set 预定状况=null, 预定到期时间=null where 预定到期时间<"));
        lapse.value(sqlDateTime(now));
        QString error;
        if (!lapse.run(&error)) {
            out.message = error;
            return out;
        }
    }
    Statement find(QStringLiteral("select * from %1 where %2=").arg(kind, col));
    find.value(typed).text(QStringLiteral(" order by 编号"));
    QSqlQuery q = find.exec();
    if (!q.isActive()) {
        out.message = Statement::lastError(q);
        return out;
    }
    while (q.next())
        out.rows.append(q.record());
    if (out.rows.isEmpty()) {
        out.message = QStringLiteral("没有找到该") + kind + QStringLiteral("的数据,请重新输入.");
        return out;
    }
    out.ok = true;
    return out;
}

LendingDesk::QueueOutcome LendingDesk::queueItem(const QString &kind, const QSqlRecord &item)
{
    QueueOutcome out;
    const LoginContext &ctx = loginContext();
    auto refuse = [&out](const QString &message) {
        out.status = QueueOutcome::Refused;
        out.message = message;
        return out;
    };
    m_item = item;
    m_itemKind = kind;
    if (!hasReader())
        return refuse(kNoReader);
    if (!m_categoryProblem.isEmpty())
        return refuse(m_categoryProblem);
    if (item.value(QStringLiteral("数量")).toLongLong() <= 0)
        return refuse(kNoCopy);
    if (text(item, "状态") == QStringLiteral("不外借"))
        return refuse(QStringLiteral("该资料不外借,请与图书馆管理员联系!"));
    const QVariant reservedFor = item.value(QStringLiteral("预定状况"));
    if (ctx.reservationEnabled && !reservedFor.isNull() && reservedFor.toString() != readerNumber())
        return refuse(QStringLiteral("该图书已经被读者编号为: (") + reservedFor.toString() +
                      QStringLiteral(") 的读者预定了，您不能借."));

    m_itemLevelRent = QStringLiteral("0");
    const QVariant levelValue = item.value(QStringLiteral("物品级别"));
    const QString level = levelValue.toString();
    qlonglong limit = 0;
    qlonglong onLoan = 0;
    if (!levelValue.isNull()) {
        Statement lv(QStringLiteral("select * from 物品级别 where 名称="));
        lv.value(level).text(RowOrder::orderBy());
        QSqlQuery q = lv.exec();
        if (!q.isActive()) {
            out.message = Statement::lastError(q);
            return out;
        }
        if (q.next()) {
            m_itemLevelRent = Money::fromVariant(q.value(QStringLiteral("租金"))).toString();
            limit = q.value(QStringLiteral("可借数量")).toLongLong();
        }
        // The reader's unreturned loans of this level, books and periodicals together.
        Statement count(
            QStringLiteral("select count(*) from 借出记录 where 已还='否' and 读者编号="));
        count.value(readerNumber()).text(QStringLiteral(" and 物品级别=")).value(level);
        QString error;
        const QVariant n = count.scalar(&error);
        if (!n.isValid()) {
            out.message = error;
            return out;
        }
        onLoan = n.toLongLong();
        if (limit > 0 && onLoan >= limit)
            return refuse(levelMessage(level));
    }

    const QString number = text(item, "编号");
    qlonglong queued = 0;
    for (const LendingEntry &e : std::as_const(m_queue)) {
        if (e.number == number) {
            out.status = QueueOutcome::AlreadyQueued;
            return out;
        }
        if (e.level.trimmed() == level.trimmed())
            ++queued;
        if (limit > 0 && onLoan + queued >= limit)
            return refuse(levelMessage(level));
    }

    LendingEntry entry;
    entry.number = number;
    entry.barcode = text(item, "条形码");
    entry.title = text(item, "名称");
    entry.kind = kind;
    entry.days = m_loanDays;
    entry.rent = !ctx.rentEnabled        ? QStringLiteral("0")
                 : ctx.readerRentEnabled ? m_categoryRent
                                         : m_itemLevelRent;
    entry.level = level;
    m_queue.append(entry);
    out.status = QueueOutcome::Queued;

    if (ctx.loanLimitEnabled) {
        const qlonglong unreturned = m_reader.value(QStringLiteral("未还数量")).toLongLong();
        if (m_queue.size() > m_loanLimit.trimmed().toLongLong() - unreturned) {
            out.loanLimitNotice = true;
            out.message = QStringLiteral("提示:该读者超过借阅数量!");
        }
    }
    return out;
}

QString LendingDesk::removeQuestion(int index) const
{
    const LendingEntry &e = m_queue.at(index);
    return QStringLiteral("您是否要删除\" ") + e.number + QStringLiteral("\",\"") + e.title +
           QStringLiteral("\"");
}

void LendingDesk::removeEntry(int index)
{
    if (index >= 0 && index < m_queue.size())
        m_queue.remove(index);
}

void LendingDesk::clear()
{
    m_queue.clear();
    dropReader();
    m_item = QSqlRecord();
    m_itemKind.clear();
    m_itemLevelRent = QStringLiteral("0");
}

QString LendingDesk::LendOutcome::refusalMessage() const
{
    if (refusals.isEmpty())
        return QString();
    return QStringLiteral("以下物品没有借出:\n") + refusals.join(QLatin1Char('\n'));
}

LendingDesk::EntryResult LendingDesk::lendEntry(const LendingEntry &entry, const QDate &today,
                                                int days, QString *reason, QString *title)
{
    // The entry's kind names the table; a queue filled elsewhere is checked all the same.
    if (entry.kind != Book && entry.kind != Periodical) {
        *reason = QStringLiteral("物品类别只能是“图书”或“期刊”");
        return EntryResult::Refused;
    }
    // The copy is taken by a conditional update below, which holds the item's row until the
    // commit; nothing else of the item table is held.
    Transaction tx(Transaction::Intent::Write);
    if (!tx.isActive()) {
        *reason = tx.error();
        return EntryResult::Failed;
    }
    Statement reread(QStringLiteral("select * from %1 where 编号=").arg(entry.kind));
    reread.value(entry.number);
    QSqlQuery r = reread.exec();
    if (!r.isActive()) {
        *reason = Statement::lastError(r);
        return EntryResult::Failed;
    }
    if (!r.next()) {
        *reason = QStringLiteral("没有找到该") + entry.kind + QStringLiteral("的数据");
        return EntryResult::Refused;
    }
    const QSqlRecord item = r.record();
    r.finish();
    *title = text(item, "名称");

    // The copy is taken only while one is on the shelf: another workstation may have lent
    // the last one since the entry was queued.
    Statement take(QStringLiteral("update %1 set 数量=数量-1, 借出次数=coalesce(借出次数,0)+1, "
                                  "预定状况=null, 预定到期时间=null where 编号=")
                       .arg(entry.kind));
    take.value(entry.number).text(QStringLiteral(" and 数量>0"));
    QSqlQuery t = take.exec();
    if (!t.isActive()) {
        *reason = Statement::lastError(t);
        return EntryResult::Failed;
    }
    if (t.numRowsAffected() < 1) {
        *reason = kNoCopy;
        return EntryResult::Refused;
    }
    t.finish();

    const QVariant price = item.value(QStringLiteral("价格"));
    Statement loan(QStringLiteral(
        "insert into 借出记录 (读者编号, 读者姓名, 编号, 名称, 条形码, 类别, 物品级别, 价格, "
        "租金, 借阅日期, 应还日期, 借阅经手人, 已还, 物品状况) values ("));
    loan.value(readerNumber()).text(QStringLiteral(","));
    loan.value(nullableText(m_reader.value(QStringLiteral("读者姓名")))).text(QStringLiteral(","));
    loan.value(text(item, "编号")).text(QStringLiteral(","));
    loan.value(nullableText(item.value(QStringLiteral("名称")))).text(QStringLiteral(","));
    loan.value(nullableText(item.value(QStringLiteral("条形码")))).text(QStringLiteral(","));
    loan.value(entry.kind).text(QStringLiteral(","));
    loan.value(text(item, "物品级别")).text(QStringLiteral(","));
    loan.value(price.isNull() ? QVariant(QMetaType(QMetaType::QString))
                              : Money::fromVariant(price).toSql())
        .text(QStringLiteral(","));
    loan.value(Money::parse(entry.rent).value_or(Money()).toSql()).text(QStringLiteral(","));
    loan.value(sqlDate(today)).text(QStringLiteral(","));
    loan.value(sqlDate(today.addDays(days))).text(QStringLiteral(","));
    loan.value(loginContext().adminName).text(QStringLiteral(",'否','完好')"));
    if (!loan.run(reason))
        return EntryResult::Failed;

    Statement counters(QStringLiteral("update 读者库 set 未还数量=coalesce(未还数量,0)+1, "
                                      "累计借阅次数=coalesce(累计借阅次数,0)+1 where 读者编号="));
    counters.value(readerNumber());
    if (!counters.run(reason))
        return EntryResult::Failed;
    return tx.commit(reason) ? EntryResult::Lent : EntryResult::Failed;
}

LendingDesk::LendOutcome LendingDesk::lend(const QDateTime &now, bool printReceipt)
{
    LendOutcome out;
    if (!hasReader()) {
        out.status = LendOutcome::NoReader;
        out.message = kNoReader;
        return out;
    }
    if (m_queue.isEmpty()) {
        out.status = LendOutcome::NothingQueued;
        return out;
    }
    if (!m_categoryProblem.isEmpty()) {
        out.status = LendOutcome::Refused;
        out.message = m_categoryProblem;
        return out;
    }
    const QDate today = now.date();
    const int days = m_loanDays.trimmed().toInt();
    QStringList titles;
    out.status = LendOutcome::Lent;
    while (!m_queue.isEmpty()) {
        const LendingEntry entry = m_queue.first();
        QString reason;
        QString title = entry.title;
        const EntryResult r = lendEntry(entry, today, days, &reason, &title);
        if (r == EntryResult::Failed) {
            // The database refused: what was lent stays lent, the rest stays queued.
            out.status = LendOutcome::Failed;
            out.message = reason;
            break;
        }
        m_queue.removeFirst();
        if (r == EntryResult::Refused) {
            out.refusals << QStringLiteral("%1 \"%2\": %3").arg(entry.number, title, reason);
            continue;
        }
        out.lent.append(entry);
        titles << title;
    }
    if (printReceipt && !titles.isEmpty())
        out.receipt = receipt(loginContext().libraryName, titles, now, loginContext().adminName);
    if (out.status == LendOutcome::Lent) {
        out.message = QStringLiteral("借阅完毕!");
        clear();
    }
    return out;
}

QByteArray LendingDesk::receipt(const QString &libraryName, const QStringList &titles,
                                const QDateTime &now, const QString &adminName)
{
    QStringList lines{QStringLiteral(" "), libraryName};
    for (int i = 0; i < titles.size(); ++i)
        lines << QString::number(i + 1) + QLatin1Char(':') + titles.at(i);
    lines << ReceiptWriter::timeLine(now) << QStringLiteral("管理员: ") + adminName;
    return ReceiptWriter::encode(lines);
}

QString LendingDesk::lookupColumnFromSettings(const QString &current)
{
    QSqlQuery q = RowOrder::selectAll(QStringLiteral("系统设置")).exec();
    if (!q.next())
        return current;
    QString column = current;
    if (flagFromSql(q.value(QStringLiteral("借阅焦点编号"))))
        column = ByNumber;
    if (flagFromSql(q.value(QStringLiteral("借阅焦点条形码"))))
        column = ByBarcode;
    return column;
}
