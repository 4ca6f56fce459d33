// Placing a reservation from the command line: the item by barcode or number, the reader by
// number or card, and the refusals that leave every reservation as it was.
#include "TestDb.h"

#include "circulation/ReservationPlacement.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

const QDateTime Now(QDate(2026, 3, 1), QTime(10, 0));

void run(const QString &sql, const QVariantList &values)
{
    QString error;
    QVERIFY2(Statement(sql, values).run(&error), qPrintable(error));
}

void addItem(const QString &kind, const QString &number, const QString &barcode,
             const QVariant &holder = {}, const QVariant &until = {})
{
    run(QStringLiteral("insert into %1 (编号, 条形码, 名称, 数量, 预定状况, 预定到期时间) "
                       "values (?, ?, ?, 1, ?, ?)")
            .arg(kind),
        {number, barcode, QStringLiteral("名称") + number,
         holder.isValid() ? holder : QVariant(QMetaType(QMetaType::QString)),
         until.isValid() ? until : QVariant(QMetaType(QMetaType::QString))});
}

// Every reservation of both tables, "kind 编号 holder until", in a fixed order.
QStringList reservations()
{
    QStringList out;
    for (const QString kind : {QStringLiteral("图书"), QStringLiteral("期刊")}) {
        QSqlQuery q = Statement(QStringLiteral("select 编号, 预定状况, 预定到期时间 from %1 "
                                               "where 预定状况 is not null order by 编号")
                                    .arg(kind))
                          .exec();
        while (q.next())
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(kind, q.value(0).toString(), q.value(1).toString(),
                            dateTimeFromSql(q.value(2))
                                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    return out;
}

} // namespace

class ReservationPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void place_data();
    void place();

private:
    TestDb m_db;
};

void ReservationPlacementTest::init()
{
    TSGL_FRESH_DB(m_db);
    loginContext().reservationEnabled = true;
    run(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, CardId, 状态) values "
                       "('R1', '甲', 'C1', '正常'), ('R2', '乙', 'C2', '正常')"),
        {});
    addItem(QStringLiteral("图书"), QStringLiteral("B1"), QStringLiteral("111"));
    addItem(QStringLiteral("图书"), QStringLiteral("B2"), QStringLiteral("n"), QStringLiteral("R2"),
            sqlDateTime(Now.addDays(1)));
    // A book whose number is a periodical's barcode: the barcode is looked at first.
    addItem(QStringLiteral("图书"), QStringLiteral("222"), QStringLiteral("333"));
    addItem(QStringLiteral("图书"), QStringLiteral("B3"), QStringLiteral("444"));
    addItem(QStringLiteral("图书"), QStringLiteral("B4"), QStringLiteral("444"));
    addItem(QStringLiteral("图书"), QStringLiteral("B5"), QStringLiteral("555"),
            QStringLiteral("R2"));
    addItem(QStringLiteral("期刊"), QStringLiteral("P1"), QStringLiteral("222"),
            QStringLiteral("R2"), sqlDateTime(Now.addSecs(-3600)));
}

void ReservationPlacementTest::place_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("until");
    QTest::addColumn<QString>("placed"); // "kind 编号" that now holds the reservation, or empty
    QTest::addColumn<QString>("message");

    const QString later = QStringLiteral("2026-03-05 18:00:00");
    QTest::newRow("by barcode") << "111"
                                << "R1" << later << "图书 B1"
                                << "预定图书 B1";
    QTest::newRow("by number, reader by card") << "B1"
                                               << "C1" << later << "图书 B1"
                                               << "R1 (甲)";
    QTest::newRow("a bare date") << "B1"
                                 << "R1"
                                 << "2026-03-02"
                                 << "图书 B1"
                                 << "2026-03-02.";
    QTest::newRow("the periodical's barcode before a book's number, its lapsed reservation "
                  "taken over")
        << "222"
        << "R1" << later << "期刊 P1"
        << "预定期刊 P1";
    QTest::newRow("held by another reader") << "B2"
                                            << "R1" << later << ""
                                            << "已经被读者编号为: (R2) 的读者预定了";
    QTest::newRow("held for ever by another reader") << "555"
                                                     << "R1" << later << ""
                                                     << "(R2) 的读者预定了,预定到期时间: 无";
    QTest::newRow("the holder extends it") << "B2"
                                           << "C2" << later << "图书 B2"
                                           << "R2 (乙)";
    QTest::newRow("two books with one barcode") << "444"
                                                << "R1" << later << ""
                                                << "有多个";
    QTest::newRow("no such item") << "O'Brien"
                                  << "R1" << later << ""
                                  << "没有条形码或编号";
    QTest::newRow("\"n\" is no barcode") << "n"
                                         << "R1" << later << ""
                                         << "没有条形码或编号";
    QTest::newRow("no such reader") << "B1"
                                    << "R9" << later << ""
                                    << "没有该编号/卡号的读者";
    QTest::newRow("a day not in the calendar") << "B1"
                                               << "R1"
                                               << "2026-02-30"
                                               << ""
                                               << "无效";
    QTest::newRow("a moment without seconds") << "B1"
                                              << "R1"
                                              << "2026-03-05 18:00"
                                              << ""
                                              << "无效";
    QTest::newRow("the moment of the command") << "B1"
                                               << "R1"
                                               << "2026-03-01 10:00:00"
                                               << ""
                                               << "已经过去";
    QTest::newRow("today's date is this morning's midnight") << "B1"
                                                             << "R1"
                                                             << "2026-03-01"
                                                             << ""
                                                             << "已经过去";
}

void ReservationPlacementTest::place()
{
    QFETCH(QString, item);
    QFETCH(QString, reader);
    QFETCH(QString, until);
    QFETCH(QString, placed);
    QFETCH(QString, message);
    const QStringList before = reservations();
    const ReservationPlacement::Outcome outcome =
        ReservationPlacement::place(item, reader, until, Now);
    QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
    QCOMPARE(outcome.placed, !placed.isEmpty());
    QStringList expected = before;
    if (!placed.isEmpty()) {
        const QString holder =
            reader.startsWith(QLatin1Char('C')) ? QStringLiteral("R") + reader.mid(1) : reader;
        const QString moment = ReservationPlacement::parseMoment(until).toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        expected.erase(std::remove_if(expected.begin(), expected.end(),
                                      [&](const QString &r) {
                                          return r.startsWith(placed + QLatin1Char(' '));
                                      }),
                       expected.end());
        expected << placed + QLatin1Char(' ') + holder + QLatin1Char(' ') + moment;
        std::sort(expected.begin(), expected.end());
    }
    QStringList after = reservations();
    std::sort(after.begin(), after.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(after, expected);
}

QTEST_GUILESS_MAIN(ReservationPlacementTest)
#include "reservation_placement_dbtest.moc"
