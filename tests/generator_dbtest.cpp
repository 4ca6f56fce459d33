// The generated library: its counters agree with its loans on both databases.
#include "TestDb.h"
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/Money.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "demo/LibraryGenerator.h"
#include "text/Pinyin.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDate kToday(2024, 6, 15);

qlonglong count(const QString &sql)
{
    return scalar(sql).toLongLong();
}

LibraryGenerator::Size smallSize()
{
    LibraryGenerator::Size size;
    size.books = 300;
    size.readers = 40;
    size.loans = 3000;
    size.periodicals = 15;
    return size;
}

bool generateSmall(QString *error, QSqlDatabase db = SharedConnection::database())
{
    LibraryGenerator::Options options;
    options.seed = 7;
    options.today = kToday;
    options.years = 1;
    return LibraryGenerator(db, options).generate(smallSize(), error);
}

// A fingerprint of the books and loans as texts and counts.
QByteArray fingerprint(const QSqlDatabase &db)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const char *sql :
         {"select 编号, 条形码, 名称, 作者, 数量, 借出次数 from 图书 order by 编号",
          "select 读者编号, 编号, 已还 from 借出记录 order by id"}) {
        QSqlQuery q = Statement(QString::fromUtf8(sql)).exec(db);
        while (q.next()) {
            for (int c = 0; c < q.record().count(); ++c)
                hash.addData(q.value(c).toString().toUtf8() + '|');
        }
    }
    return hash.result();
}

} // namespace

class GeneratorTest : public QObject {
    Q_OBJECT
private slots:
    void init() { TSGL_FRESH_DB(m_db); }

    void countersAgreeWithLoans()
    {
        QString error;
        QVERIFY2(generateSmall(&error), qPrintable(error));
        const LibraryGenerator::Size size = smallSize();
        QCOMPARE(count("select count(*) from 图书"), qlonglong(size.books));
        QCOMPARE(count("select count(*) from 期刊"), qlonglong(size.periodicals));
        QCOMPARE(count("select count(*) from 读者库"), qlonglong(size.readers));
        QCOMPARE(count("select count(*) from 借出记录"), qlonglong(size.loans));

        const qlonglong open = count("select count(*) from 借出记录 where 已还='否'");
        QVERIFY(open > 0);
        QVERIFY(count("select count(*) from 借出记录 where 已还='是'") > open);
        QCOMPARE(count("select sum(未还数量) from 读者库"), open);
        // Every reader: open loans and all loans.
        QCOMPARE(count("select count(*) from 读者库 r where 未还数量 <> (select count(*) from "
                       "借出记录 l where l.读者编号=r.读者编号 and l.已还='否') or 累计借阅次数 <> "
                       "(select count(*) from 借出记录 l where l.读者编号=r.读者编号)"),
                 0);
        // Every item: copies on the shelf plus copies out make its stock of one to five.
        for (const char *table : {"图书", "期刊"}) {
            const QString t = QString::fromUtf8(table);
            QCOMPARE(count(QStringLiteral(
                               "select count(*) from %1 i where 借出次数 <> (select count(*) from "
                               "借出记录 l where l.编号=i.编号 and l.类别='%1') or 数量 < 0 or "
                               "数量 + (select count(*) from 借出记录 l where l.编号=i.编号 and "
                               "l.已还='否') not between 1 and 5")
                               .arg(t)),
                     0);
        }
        // Nobody holds more items than his category allows.
        QCOMPARE(count("select count(*) from 读者库 r join 读者类别 c on c.类别名=r.类别 "
                       "where r.未还数量 > c.借阅数量限制"),
                 0);
        // No loan of an item that is not lent out.
        QCOMPARE(count("select count(*) from 借出记录 l join 图书 b on b.编号=l.编号 "
                       "where b.状态='不外借'"),
                 0);
    }

    void returnsAreChargedAndAccountsBalance()
    {
        QString error;
        QVERIFY2(generateSmall(&error), qPrintable(error));
        const Money finePerDay = Money::fromVariant(scalar("select 超期每日罚金 from 系统设置"));
        QHash<QString, Money> charged;
        int overdueOpen = 0;
        QSqlQuery q =
            Statement(
                QStringLiteral("select 读者编号, 借阅日期, 归还日期, 应还日期, 已还, 租金, 罚金, "
                               "实际租期, 实际租金 from 借出记录"))
                .exec();
        while (q.next()) {
            const QDate lent = dateFromSql(q.value(1));
            const QDate due = dateFromSql(q.value(3));
            QVERIFY(lent.isValid() && lent <= kToday && due > lent);
            if (q.value(4).toString() == QStringLiteral("否")) {
                QVERIFY(q.value(2).isNull());
                overdueOpen += due < kToday;
                continue;
            }
            const QDate back = dateFromSql(q.value(2));
            QVERIFY(back >= lent && back <= kToday);
            const int period = q.value(7).toInt();
            QCOMPARE(period, qMax<qint64>(1, lent.daysTo(back)));
            const Money rent = Money::fromVariant(q.value(8));
            QCOMPARE(rent, Money::fromVariant(q.value(5)) * period);
            const Money fine = Money::fromVariant(q.value(6));
            QCOMPARE(fine, finePerDay * qMax<qint64>(0, due.daysTo(back)));
            charged[q.value(0).toString()] += rent + fine;
        }
        QVERIFY(overdueOpen > 0);

        QHash<QString, Money> paid;
        QSqlQuery income =
            Statement(QStringLiteral("select 读者编号, 金额 from 收入 where 项目='充值'")).exec();
        while (income.next())
            paid[income.value(0).toString()] += Money::fromVariant(income.value(1));
        QSqlQuery readers =
            Statement(QStringLiteral("select 读者编号, 卡内金额 from 读者库")).exec();
        while (readers.next()) {
            const QString number = readers.value(0).toString();
            const Money balance = Money::fromVariant(readers.value(1));
            QCOMPARE(balance, paid.value(number) - charged.value(number));
            QVERIFY(!balance.isNegative());
        }
    }

    void namesCarryTheirInitialsAndReservationsPointAtReaders()
    {
        QString error;
        QVERIFY2(generateSmall(&error), qPrintable(error));
        QSqlQuery q =
            Statement(QStringLiteral("select 名称, py, 索书号, 分类号, zch from 图书")).exec();
        while (q.next()) {
            QCOMPARE(q.value(1).toString(), PinyinInitials(q.value(0).toString()));
            QCOMPARE(q.value(2).toString(),
                     q.value(3).toString() + QLatin1Char('/') + q.value(4).toString());
        }
        QCOMPARE(count("select count(*) from 读者库 where py is null or py=''"), 0);
        QCOMPARE(count("select count(*) from 图书 b where 预定状况 is not null and not exists "
                       "(select 1 from 读者库 r where r.读者编号=b.预定状况)"),
                 0);
        QCOMPARE(
            count("select count(*) from 图书 where (预定状况 is null) <> (预定到期时间 is null)"),
            0);
    }

    void sameSeedSameLibrary()
    {
        QString error;
        QVERIFY2(generateSmall(&error), qPrintable(error));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("again.db"));
        QVERIFY2(DatabaseSetup::createEmbedded(path, &error), qPrintable(error));
        QByteArray again;
        {
            QVERIFY(SharedConnection::openNamed(QStringLiteral("again"),
                                                ConnectionString::forFile(path),
                                                SqlDialect::Embedded, &error));
            QSqlDatabase db = QSqlDatabase::database(QStringLiteral("again"), false);
            QVERIFY2(generateSmall(&error, db), qPrintable(error));
            again = fingerprint(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("again"));
        QCOMPARE(fingerprint(SharedConnection::database()), again);
    }

    void demoLibraryAndNoSecondFill()
    {
        QString error;
        QVERIFY2(LibraryGenerator::fillDemo(SharedConnection::database(), &error),
                 qPrintable(error));
        QCOMPARE(count("select count(*) from 图书"), 200);
        QCOMPARE(count("select count(*) from 期刊"), 20);
        QCOMPARE(count("select count(*) from 读者库"), 50);
        QVERIFY(count("select count(*) from 借出记录 where 已还='否'") > 0);
        QVERIFY(count("select count(*) from 借出记录 where 已还='是'") > 0);
        // The default rows stay single.
        QCOMPARE(count("select count(*) from 读者类别 where 类别名='普通'"), 1);
        QCOMPARE(count("select count(*) from 管理员 where adminname='超级管理员'"), 1);

        const qlonglong loans = count("select count(*) from 借出记录");
        QVERIFY(!LibraryGenerator::fillDemo(SharedConnection::database(), &error));
        QVERIFY(error.contains(QStringLiteral("已经有图书或读者")));
        QCOMPARE(count("select count(*) from 借出记录"), loans);
    }

private:
    TestDb m_db;
};

QTEST_MAIN(GeneratorTest)
#include "generator_dbtest.moc"
