// The reader's own reservations: placed through the one rule of ReservationPlacement,
// listed, cancelled.
#include "ReaderPortal.h"

#include "ReaderPortalRows.h"
#include "circulation/ReservationPlacement.h"
#include "db/LoginContext.h"

#include <QSqlQuery>

using namespace ReaderPortalRows;

namespace {

const QString kBook = QStringLiteral("图书");
const QString kPeriodical = QStringLiteral("期刊");

// The moment to the second, as the database keeps it.
QDateTime toSecond(const QDateTime &moment)
{
    const QTime t = moment.time();
    return QDateTime(moment.date(), QTime(t.hour(), t.minute(), t.second()));
}

// As the pages show a moment: to the minute.
QString momentText(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// A reservation holds while its time has not passed; one without a time holds until cleared.
bool holds(const QDateTime &until, const QDateTime &now)
{
    return !until.isValid() || !(until < toSecond(now));
}

} // namespace

ReaderPortal::Reservations ReaderPortal::reservations(const QString &readerNumber,
                                                      const QDateTime &now)
{
    Reservations out;
    if (readerNumber.isEmpty()) {
        out.message = QStringLiteral("没有该读者的资料,请重新登录.");
        return out;
    }
    for (const QString &kind : {kBook, kPeriodical}) {
        // Periodicals have no call number.
        const QString callNumber = kind == kBook ? QStringLiteral("索书号") : QStringLiteral("''");
        QSqlQuery q =
            Statement(QStringLiteral("select 编号, 名称, 条形码, 存放位置, %1, 预定到期时间, 数量 "
                                     "from %2 where 预定状况=")
                          .arg(callNumber, kind))
                .value(readerNumber)
                .text(QStringLiteral(" and (预定到期时间 is null or 预定到期时间>="))
                .value(sqlDateTime(toSecond(now)))
                .text(QStringLiteral(") order by 编号"))
                .exec(m_db);
        if (!q.isActive())
            return failed(out, q);
        while (q.next()) {
            Reservation r;
            r.kind = kind;
            r.itemNumber = text(q.value(0));
            r.title = text(q.value(1));
            r.barcode = text(q.value(2));
            r.location = text(q.value(3));
            r.callNumber = text(q.value(4));
            r.until = dateTimeFromSql(q.value(5));
            r.onShelf = q.value(6).toLongLong() > 0;
            out.rows.append(r);
        }
    }
    out.ok = true;
    return out;
}

ReaderPortal::ReserveOutcome ReaderPortal::reserve(const QString &readerNumber,
                                                   const QString &bookNumber, const QDateTime &now,
                                                   int periodDays)
{
    ReserveOutcome out;
    if (!loginContext().reservationEnabled) {
        out.status = ReserveOutcome::Disabled;
        out.message = QStringLiteral("本馆没有开放预定.");
        return out;
    }
    const Standing st = standing(readerNumber, now);
    if (st.status == Standing::Failed)
        return failed(out, st.detail);
    if (st.status != Standing::Active) {
        out.status = ReserveOutcome::ReaderRefused;
        out.message = st.message;
        return out;
    }
    const QString notFound =
        QStringLiteral("没有编号为\"%1\"的图书.").arg(bookNumber.left(MaxNumberLength));
    if (bookNumber.isEmpty() || !searchable(bookNumber, MaxNumberLength)) {
        out.status = ReserveOutcome::NotFound;
        out.message = notFound;
        return out;
    }
    if (periodDays < 1 || periodDays > 365)
        periodDays = DefaultReservationDays;
    const QDateTime moment = toSecond(now);
    const QDateTime until = moment.addDays(periodDays);

    ReservationPlacement::Conditions conditions;
    // A reader cannot keep a book for ever by reserving it again and again.
    conditions.holderMayRenew = false;
    conditions.onlyWhenNoCopyOnShelf = true;
    QString error;
    const int written = ReservationPlacement::write(m_db, kBook, bookNumber, readerNumber, until,
                                                    moment, conditions, &error);
    if (written < 0)
        return failed(out, error);

    // Read the row back for the page: the title, or why the book was refused.
    QSqlQuery q = Statement(QStringLiteral("select 名称, 数量, 状态, 预定状况, 预定到期时间 from "
                                           "图书 where 编号="))
                      .value(bookNumber)
                      .exec(m_db);
    if (!q.isActive())
        return failed(out, q);
    if (!q.next()) {
        out.status = ReserveOutcome::NotFound;
        out.message = notFound;
        return out;
    }
    const QString title = text(q.value(0));
    const qlonglong copies = q.value(1).toLongLong();
    const QVariant holder = q.value(3);
    const QDateTime heldUntil = dateTimeFromSql(q.value(4));
    if (written == 1) {
        out.status = ReserveOutcome::Placed;
        out.until = until;
        out.message = QStringLiteral("已为您预定《%1》,预定保留到 %2.图书归还后请及时到馆借阅.")
                          .arg(title, momentText(until));
        return out;
    }
    const bool held = !holder.isNull() && holds(heldUntil, moment);
    if (held && holder.toString() == readerNumber) {
        out.status = ReserveOutcome::AlreadyYours;
        out.until = heldUntil;
        out.message = heldUntil.isValid() ? QStringLiteral("您已经预定了《%1》,预定保留到 %2.")
                                                .arg(title, momentText(heldUntil))
                                          : QStringLiteral("您已经预定了《%1》.").arg(title);
        return out;
    }
    if (text(q.value(2)) == QStringLiteral("不外借")) {
        out.status = ReserveOutcome::NotForLoan;
        out.message = QStringLiteral("《%1》不外借,不能预定.").arg(title);
        return out;
    }
    if (copies > 0) {
        out.status = ReserveOutcome::OnShelf;
        out.message =
            QStringLiteral("《%1》现有%2本在架,不用预定,请直接到馆借阅.").arg(title).arg(copies);
        return out;
    }
    if (held) {
        // Whose reservation it is stays the library's business.
        out.status = ReserveOutcome::ReservedByOther;
        out.message = QStringLiteral("《%1》已经被其他读者预定,暂时不能预定.").arg(title);
        return out;
    }
    // Changed between the update and this read (lent, returned, cancelled): try again.
    out.message = QStringLiteral("《%1》的借阅情况刚刚有变化,请刷新后再试.").arg(title);
    return out;
}

ReaderPortal::CancelOutcome ReaderPortal::cancelReservation(const QString &readerNumber,
                                                            const QString &kind,
                                                            const QString &itemNumber)
{
    CancelOutcome out;
    out.status = CancelOutcome::NotYours;
    out.message = QStringLiteral("您没有预定这一项.");
    // The kind names the table; an empty reader number would match reservations that hold
    // empty text.
    if ((kind != kBook && kind != kPeriodical) || readerNumber.isEmpty() ||
        !searchable(itemNumber, MaxNumberLength))
        return out;
    QSqlQuery q = Statement(QStringLiteral("update %1 set 预定状况=null, 预定到期时间=null where "
                                           "编号=")
                                .arg(kind))
                      .value(itemNumber)
                      .text(QStringLiteral(" and 预定状况="))
                      .value(readerNumber)
                      .exec(m_db);
    if (!q.isActive())
        return failed(out, q);
    if (q.numRowsAffected() != 1)
        return out;
    out.status = CancelOutcome::Cancelled;
    out.message = QStringLiteral("已取消预定.");
    return out;
}
