// The library database as the program creates it, on the embedded file and on the server:
// tables and columns in order, keys, indexes, default rows, and how values come back.
#include "TestDb.h"

#include "admin/PasswordHash.h"
#include "db/DatabaseSetup.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/RowOrder.h"
#include "db/Schema.h"
#include "db/SchemaUpgrade.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QProcess>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

class SchemaTest : public QObject {
    Q_OBJECT
private slots:
    void everyTableHasItsColumnsInOrder();
    void keysRefuseDuplicates_data();
    void keysRefuseDuplicates();
    void keysRefuseNull_data();
    void keysRefuseNull();
    void listsKeepInsertionOrderAfterUpdates();
    void upgradeMakesKeysNotNull();
    void upgradeReportsNullKeys();
    void upgradeNumbersServerLists();
    void indexesExist();
    void defaultRows();
    void quoteCharactersAreStoredAndFoundLiterally();
    void moneySumsStayExact();
    void dateComparedWithBareDayMeansMidnight();
    void autonumberAssignsIds();
    void emptyDatabaseIsRecognised();
    void createDatabaseCommand();
};

void SchemaTest::everyTableHasItsColumnsInOrder()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (const Schema::Table &table : Schema::tables()) {
        QSqlQuery q(t.db());
        QVERIFY2(q.exec(QStringLiteral("select * from %1 where 1=0").arg(table.name)),
                 qPrintable(table.name + q.lastError().text()));
        const QSqlRecord rec = q.record();
        // On the server a list table ends with its insertion number, which no window shows.
        const bool numbered = table.insertionOrdered && t.dialect() == SqlDialect::Server;
        QCOMPARE(rec.count(), table.columns.size() + (numbered ? 1 : 0));
        if (numbered)
            QCOMPARE(rec.fieldName(rec.count() - 1), QString::fromUtf8(Schema::OrderColumn));
        for (int i = 0; i < table.columns.size(); ++i)
            QVERIFY2(rec.fieldName(i).compare(table.columns[i].name, Qt::CaseInsensitive) == 0,
                     qPrintable(table.name + QLatin1Char('.') + rec.fieldName(i)));
    }
    // The searches depend on "order by 1,2" meaning item number, barcode / reader number, name.
    QSqlQuery q(t.db());
    QVERIFY(q.exec(QStringLiteral("select * from 图书 where 1=0")));
    QCOMPARE(q.record().fieldName(1), QStringLiteral("条形码"));
    QVERIFY(q.exec(QStringLiteral("select * from 读者库 where 1=0")));
    QCOMPARE(q.record().fieldName(1), QStringLiteral("读者姓名"));
    QCOMPARE(Schema::checkedColumn(QStringLiteral("管理员"), QStringLiteral("QXDJXG")),
             QStringLiteral("qxDjXg"));
    QVERIFY(Schema::checkedColumn(QStringLiteral("图书"), QStringLiteral("名称;drop")).isEmpty());
}

void SchemaTest::keysRefuseDuplicates_data()
{
    QTest::addColumn<QString>("insert");
    QTest::newRow("图书.编号") << "insert into 图书 (编号, 名称) values ('B1', 'x')";
    QTest::newRow("期刊.编号") << "insert into 期刊 (编号, 名称) values ('Q1', 'x')";
    QTest::newRow("读者库.读者编号")
        << "insert into 读者库 (读者编号, 读者姓名) values ('R1', 'x')";
    QTest::newRow("出版社名.ISBN") << "insert into 出版社名 values ('出版社', '7-5005', '北京')";
}

void SchemaTest::keysRefuseDuplicates()
{
    QFETCH(QString, insert);
    TestDb t;
    TSGL_FRESH_DB(t);
    QString error;
    QVERIFY2(Statement(insert).run(&error), qPrintable(error));
    QVERIFY(!Statement(insert).run(&error));
    QVERIFY(!error.isEmpty()); // the database's own duplicate-key message
}

void SchemaTest::keysRefuseNull_data()
{
    QTest::addColumn<QString>("insert");
    QTest::newRow("图书.编号") << "insert into 图书 (编号, 名称) values (NULL, 'x')";
    QTest::newRow("期刊.编号") << "insert into 期刊 (编号, 名称) values (NULL, 'x')";
    QTest::newRow("读者库.读者编号")
        << "insert into 读者库 (读者编号, 读者姓名) values (NULL, 'x')";
    QTest::newRow("出版社名.ISBN") << "insert into 出版社名 (出版社名, ISBN) values ('x', NULL)";
}

// A row without its key could never be found by it; both databases refuse it.
void SchemaTest::keysRefuseNull()
{
    QFETCH(QString, insert);
    TestDb t;
    TSGL_FRESH_DB(t);
    QString error;
    QVERIFY(!Statement(insert).run(&error));
    QVERIFY(!error.isEmpty());
}

// Every list is read in the order its rows were added, also after an update (the server
// moves an updated row to the end of its heap).
void SchemaTest::listsKeepInsertionOrderAfterUpdates()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (const Schema::Table &table : Schema::tables()) {
        if (!table.insertionOrdered)
            continue;
        const QString first = table.columns.first().name;
        // The key of 出版社名 is its second column: give each row its own.
        const bool keyed = table.name == QStringLiteral("出版社名");
        QVERIFY(Statement(QStringLiteral("delete from ") + table.name).run());
        for (const char *name : {"甲", "乙", "丙"}) {
            Statement insert(QStringLiteral("insert into %1 (%2%3) values (")
                                 .arg(table.name, first, keyed ? QStringLiteral(", ISBN") : ""));
            insert.value(QString::fromUtf8(name));
            if (keyed)
                insert.text(QStringLiteral(",")).value(QString::fromUtf8(name));
            QString error;
            QVERIFY2(insert.text(QStringLiteral(")")).run(&error),
                     qPrintable(table.name + error + insert.sql()));
        }
        for (int round = 0; round < 2; ++round)
            QVERIFY(Statement(QStringLiteral("update %1 set %2=%2 where %2 in ('甲','乙')")
                                  .arg(table.name, first))
                        .run());
        QSqlQuery q = RowOrder::selectAll(table.name).exec();
        QStringList order;
        while (q.next())
            order << q.value(first).toString();
        QCOMPARE(order, QStringList({"甲", "乙", "丙"}));
    }
}

namespace {

// An embedded library as an earlier version made it: text keys that take NULL.
void makeOldReaderTable()
{
    const QStringList steps = {
        "drop table 读者库",
        "create table 读者库 (读者编号 TEXT primary key, 读者姓名 TEXT, 类别 TEXT default '普通')",
        "create index ix_old_name on 读者库 (读者姓名)",
        "insert into 读者库 (读者编号, 读者姓名) values ('R2', '乙')",
        "insert into 读者库 (读者编号, 读者姓名) values ('R1', '甲')",
    };
    for (const QString &sql : steps)
        QVERIFY2(Statement(sql).run(), qPrintable(sql));
}

QStringList readerOrder()
{
    QStringList out;
    QSqlQuery q = Statement(QStringLiteral("select 读者编号 from 读者库 order by rowid")).exec();
    while (q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace

void SchemaTest::upgradeMakesKeysNotNull()
{
    if (TestDb::wantsServer())
        QSKIP("the server's keys were never nullable");
    TestDb t;
    TSGL_FRESH_DB(t);
    makeOldReaderTable();
    QVERIFY(Statement(QStringLiteral("insert into 读者库 (读者编号) values (NULL)")).run());
    QVERIFY(Statement(QStringLiteral("delete from 读者库 where 读者编号 is null")).run());

    QStringList notes;
    QString error;
    QVERIFY2(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error), qPrintable(error));
    QVERIFY(notes.isEmpty());
    QVERIFY(!Statement(QStringLiteral("insert into 读者库 (读者编号) values (NULL)")).run());
    // Rows, their order, defaults and indexes come along.
    QCOMPARE(readerOrder(), QStringList({"R2", "R1"}));
    QVERIFY(Statement(QStringLiteral("insert into 读者库 (读者编号) values ('R3')")).run());
    QCOMPARE(scalar(QStringLiteral("select 类别 from 读者库 where 读者编号='R3'")).toString(),
             QStringLiteral("普通"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from sqlite_master where name='ix_old_name'"))
                 .toInt(),
             1);
    QVERIFY(!Statement(QStringLiteral("insert into 读者库 (读者编号) values ('R1')")).run());
    // A second start finds nothing to do.
    const QVariant schemaBefore =
        scalar(QStringLiteral("select group_concat(sql) from sqlite_master"));
    QVERIFY(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error));
    QCOMPARE(scalar(QStringLiteral("select group_concat(sql) from sqlite_master")), schemaBefore);
}

void SchemaTest::upgradeReportsNullKeys()
{
    if (TestDb::wantsServer())
        QSKIP("the server's keys were never nullable");
    TestDb t;
    TSGL_FRESH_DB(t);
    makeOldReaderTable();
    QVERIFY(Statement(QStringLiteral("insert into 读者库 (读者编号, 读者姓名) values (NULL, '丙')"))
                .run());
    QStringList notes;
    QString error;
    QVERIFY2(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error), qPrintable(error));
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().contains(QStringLiteral("读者库")) &&
                 notes.first().contains(QStringLiteral("1 行")) &&
                 notes.first().contains(QStringLiteral("读者编号")),
             qPrintable(notes.first()));
    // Nothing of the table was changed.
    QCOMPARE(scalar(QStringLiteral("select count(*) from 读者库")).toInt(), 3);
}

void SchemaTest::upgradeNumbersServerLists()
{
    if (!TestDb::wantsServer())
        QSKIP("the embedded database numbers its rows by rowid");
    TestDb t;
    TSGL_FRESH_DB(t);
    const QStringList steps = {"drop table 分类", "create table 分类 (名称 varchar)",
                               "insert into 分类 values ('甲')", "insert into 分类 values ('乙')",
                               "insert into 分类 values ('丙')"};
    for (const QString &sql : steps)
        QVERIFY2(Statement(sql).run(), qPrintable(sql));
    QStringList notes;
    QString error;
    QVERIFY2(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error), qPrintable(error));
    QVERIFY(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error)); // nothing left to do
    QVERIFY(Statement(QStringLiteral("update 分类 set 名称='甲1' where 名称='甲'")).run());
    QVERIFY(Statement(QStringLiteral("insert into 分类 values ('丁')")).run());
    QSqlQuery q = RowOrder::selectAll(QStringLiteral("分类")).exec();
    QStringList order;
    while (q.next())
        order << q.value(0).toString();
    QCOMPARE(order, QStringList({"甲1", "乙", "丙", "丁"}));
}

void SchemaTest::indexesExist()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QString sql = t.dialect() == SqlDialect::Server
                            ? QStringLiteral("select count(*) from pg_indexes where indexname=?")
                            : QStringLiteral("select count(*) from sqlite_master where "
                                             "type='index' and name=?");
    const QStringList required = {"ix_图书_条形码",   "ix_期刊_条形码",   "ix_读者库_CardId",
                                  "ix_借出记录_读者", "ix_借出记录_编号", "ix_借出记录_应还日期",
                                  "ix_收入_时间",     "ix_图书_分类号",   "ix_图书_入库时间",
                                  "ix_借出记录_已还"};
    for (const QString &name : required) {
        const QString stored = t.dialect() == SqlDialect::Server ? name.toLower() : name;
        QCOMPARE(Statement(sql, {stored}).scalar().toInt(), 1);
    }
}

void SchemaTest::defaultRows()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QSqlQuery q = Statement(QStringLiteral("select * from 管理员")).exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(QStringLiteral("adminname")).toString(), QStringLiteral("超级管理员"));
    const QString pwd = q.value(QStringLiteral("pwd")).toString();
    QVERIFY(PasswordHash::isHash(pwd));
    QVERIFY(PasswordHash::matches(QString::fromLatin1(DefaultPassword), pwd));
    for (int i = 2; i < q.record().count(); ++i)
        QVERIFY2(flagFromSql(q.value(i)), qPrintable(q.record().fieldName(i)));
    QVERIFY(!q.next());

    q = Statement(QStringLiteral("select * from 系统设置")).exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(QStringLiteral("图书馆名")).toString(), QStringLiteral("图书馆"));
    QCOMPARE(Money::fromVariant(q.value(QStringLiteral("超期每日罚金"))).toString(),
             QStringLiteral("0.1"));
    QVERIFY(Money::fromVariant(q.value(QStringLiteral("开户费"))).isZero());
    const QStringList on = {"启用超期罚金", "借阅焦点编号", "归还焦点图书编号"};
    const QStringList switches = {"启用租金功能",     "启用读者租金",     "启用读者有效期",
                                  "启用超期罚金",     "借阅数量限制功能", "启用押金功能",
                                  "启用预定功能",     "显示班级",         "显示院系",
                                  "借出时打印清单",   "归还焦点条形码",   "归还焦点图书编号",
                                  "归还焦点读者编号", "借阅焦点编号",     "借阅焦点条形码"};
    for (const QString &s : switches)
        QCOMPARE(flagFromSql(q.value(s)), on.contains(s));
    for (const char *label : {"a1", "a2", "a3"})
        QVERIFY(q.value(QString::fromLatin1(label)).isNull());

    struct Row {
        const char *sql;
        const char *expected;
    };
    const Row rows[] = {
        {"select 类别名 || '/' || 借阅天数 || '/' || 借阅数量限制 from 读者类别", "普通/30/5"},
        {"select 名称 || '/' || 可借数量 from 物品级别", "普通/0"},
        {"select 币种 from 币种", "人民币"},
        {"select 证件名 from 证件名", "身份证"},
        {"select 存放位置名 from 存放位置", "书库"},
        {"select 名称 from 分类", "综合"},
    };
    for (const Row &r : rows)
        QCOMPARE(scalar(QString::fromUtf8(r.sql)).toString(), QString::fromUtf8(r.expected));
    QVERIFY(Money::fromVariant(scalar(QStringLiteral("select 租金 from 读者类别"))).isZero());
}

void SchemaTest::quoteCharactersAreStoredAndFoundLiterally()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QString tricky = QStringLiteral("O'Brien\" -- ' or '1'='1; 读者");
    QString error;
    QVERIFY2(Statement(QStringLiteral("insert into 读者库 (读者编号, 读者姓名) values (?, ?)"),
                       {QStringLiteral("R1"), tricky})
                 .run(&error),
             qPrintable(error));
    Statement(QStringLiteral("insert into 读者库 (读者编号, 读者姓名) values ('R2', 'other')"))
        .run();
    QSqlQuery q =
        Statement(QStringLiteral("select 读者编号 from 读者库 where 读者姓名=?"), {tricky}).exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("R1"));
    QVERIFY(!q.next());
    Statement like(QStringLiteral("select count(*) from 读者库 where 读者姓名 like "));
    like.value(QStringLiteral("%' or '1'='1%"));
    QCOMPARE(like.scalar().toInt(), 1);
}

void SchemaTest::moneySumsStayExact()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    Transaction tx;
    for (int i = 0; i < 1000; ++i) {
        QVERIFY(Statement(QStringLiteral("insert into 收入 (项目, 金额) values ('罚金', ?)"),
                          {Money::parse(QStringLiteral("0.1"))->toSql()})
                    .run());
    }
    QVERIFY(Statement(QStringLiteral("insert into 收入 (项目, 金额) values ('充值', ?)"),
                      {Money::parse(QStringLiteral("0.0001"))->toSql()})
                .run());
    QVERIFY(tx.commit());
    const Money sum = Money::fromVariant(scalar(QStringLiteral("select sum(金额) from 收入")));
    QCOMPARE(sum.toString(), QStringLiteral("100.0001"));
    // Relative updates of a balance keep every ten-thousandth.
    Statement(QStringLiteral("insert into 读者库 (读者编号, 卡内金额) values ('R', ?)"),
              {Money::parse(QStringLiteral("10.3333"))->toSql()})
        .run();
    Statement(QStringLiteral("update 读者库 set 卡内金额=卡内金额-? where 读者编号='R'"),
              {Money::parse(QStringLiteral("0.3332"))->toSql()})
        .run();
    QCOMPARE(Money::fromVariant(scalar(QStringLiteral("select 卡内金额 from 读者库"))).toString(),
             QStringLiteral("10.0001"));
}

void SchemaTest::dateComparedWithBareDayMeansMidnight()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QDate day(2026, 12, 10);
    const struct {
        const char *id;
        QDateTime due;
    } loans[] = {{"midnight", QDateTime(day, QTime(0, 0))},
                 {"morning", QDateTime(day, QTime(8, 30, 5))},
                 {"day before", QDateTime(day.addDays(-1), QTime(23, 59, 59))}};
    for (const auto &l : loans) {
        QVERIFY(Statement(QStringLiteral(
                              "insert into 借出记录 (编号, 应还日期, 已还) values (?, ?, '否')"),
                          {QString::fromLatin1(l.id), sqlDateTime(l.due)})
                    .run());
    }
    QSqlQuery q =
        Statement(QStringLiteral("select 编号 from 借出记录 where 应还日期<=? order by 编号"),
                  {sqlDate(day)})
            .exec();
    QStringList found;
    while (q.next())
        found << q.value(0).toString();
    QCOMPARE(found, QStringList({"day before", "midnight"}));
    const QDateTime back = dateTimeFromSql(
        scalar(QStringLiteral("select 应还日期 from 借出记录 where 编号='morning'")));
    QCOMPARE(back, QDateTime(day, QTime(8, 30, 5)));
}

void SchemaTest::autonumberAssignsIds()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (int i = 0; i < 3; ++i)
        QVERIFY(Statement(
                    QStringLiteral("insert into 管理员日志 (事件, 说明) values ('修改库存', 'x')"))
                    .run());
    QCOMPARE(scalar(QStringLiteral("select count(distinct id) from 管理员日志")).toInt(), 3);
    QVERIFY(scalar(QStringLiteral("select min(id) from 管理员日志")).toInt() > 0);
}

void SchemaTest::emptyDatabaseIsRecognised()
{
    TestDb t;
    if (TestDb::wantsServer() && !TestDb::serverAvailable())
        QSKIP("no PostgreSQL server for this run");
    QVERIFY(t.create(false).isEmpty());
    QVERIFY(Schema::isEmpty(t.db()));
    QString error;
    QVERIFY2(Schema::create(t.db(), t.dialect(), &error), qPrintable(error));
    QVERIFY(!Schema::isEmpty(t.db()));
}

void SchemaTest::createDatabaseCommand()
{
    if (TestDb::wantsServer())
        QSKIP("the command creates embedded database files");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.db"));
    QString error;
    QVERIFY2(DatabaseSetup::createEmbedded(path, &error), qPrintable(error));
    QVERIFY(QFile::exists(path));
    // A second creation on the same file refuses instead of adding rows twice.
    QVERIFY(!DatabaseSetup::createEmbedded(path, &error));
    QVERIFY(error.contains(path));
}

QTEST_GUILESS_MAIN(SchemaTest)
#include "schema_dbtest.moc"
