// The reservation list and 取消全部预定: every book reservation is listed and cleared together,
// periodicals are neither listed nor touched.
#include "TestDb.h"

#include "circulation/Reservations.h"
#include "db/Statement.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QtTest>

namespace {

void addItem(const QString &table, const QString &number, const QVariant &holder,
             const QVariant &until)
{
    Statement st(QStringLiteral("insert into ") + table +
                 QStringLiteral("(编号,名称,条形码,数量,预定状况,预定到期时间) values("));
    st.value(number).text(",'名称','n',1,").value(holder).text(",").value(until).text(")");
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

QStringList listed()
{
    QStringList out;
    QSqlQuery q = Reservations::listStatement().exec();
    while (q.next())
        out << q.value(QStringLiteral("编号")).toString() + QLatin1Char('/') +
                   q.value(QStringLiteral("预定状况")).toString();
    return out;
}

int count(const QString &sql)
{
    return scalar(sql).toInt();
}

} // namespace

class ReservationsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void listAndCancelAll();

private:
    std::unique_ptr<TestDb> m_db;
};

void ReservationsTest::init()
{
    m_db = std::make_unique<TestDb>();
    TSGL_FRESH_DB(*m_db);
}

void ReservationsTest::listAndCancelAll()
{
    const QVariant none(QMetaType(QMetaType::QString));
    const QVariant until = sqlDateTime(QDateTime(QDate(2026, 5, 1), QTime(18, 30)));
    addItem(QStringLiteral("图书"), QStringLiteral("B9"), QStringLiteral("R1"), until);
    addItem(QStringLiteral("图书"), QStringLiteral("B1"), QString(""), none); // empty text counts
    addItem(QStringLiteral("图书"), QStringLiteral("B5"), none, none);
    addItem(QStringLiteral("图书"), QStringLiteral("B6"), none, until); // a time without holder
    addItem(QStringLiteral("期刊"), QStringLiteral("Q1"), QStringLiteral("R2"), until);

    QCOMPARE(listed(), (QStringList{"B9/R1", "B1/"}));
    QSqlQuery q = Reservations::listStatement().exec();
    QVERIFY(q.next());
    QCOMPARE(dateTimeFromSql(q.value(QStringLiteral("预定到期时间"))),
             QDateTime(QDate(2026, 5, 1), QTime(18, 30)));
    q.finish();

    QString error;
    QVERIFY2(Reservations::cancelAll(&error), qPrintable(error));
    QCOMPARE(listed(), QStringList{});
    QCOMPARE(count(QStringLiteral("select count(*) from 图书 where 预定状况 is not null or "
                                  "预定到期时间 is not null")),
             0);
    QCOMPARE(count(QStringLiteral("select count(*) from 期刊 where 预定状况='R2' and "
                                  "预定到期时间 is not null")),
             1);
}

QTEST_GUILESS_MAIN(ReservationsTest)
#include "reservations_dbtest.moc"
