// The reference lists, reader categories and item levels: writing, the delete rules, the
// numeric checks, and rows without a key (identical rows, rows changed elsewhere).
#include "TestDb.h"

#include "admin/ListTable.h"
#include "admin/RowKey.h"
#include "db/Money.h"
#include "db/Schema.h"
#include "db/Statement.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

ListTable listFor(const char *className)
{
    const ListSpec *setup = ListSpecs::byClass(QString::fromUtf8(className));
    Q_ASSERT(setup);
    return ListTable(*setup);
}

QVector<QSqlRecord> rows(const ListTable &list)
{
    QVector<QSqlRecord> out;
    QSqlQuery q = list.selectStatement().exec();
    while (q.next())
        out << q.record();
    return out;
}

QStringList names(const QString &sql)
{
    QStringList out;
    QSqlQuery q = Statement(sql).exec();
    while (q.next())
        out << q.value(0).toString();
    out.sort();
    return out;
}

} // namespace

class AdminListsTest : public QObject {
    Q_OBJECT
private slots:
    void addModifyDeleteAndKeepLastRow();
    void identicalRowsAreChangedOneAtATime();
    void rowChangedElsewhereIsNotOverwritten();
    void emptyListAndNoSelection();
    void fieldChecks_data();
    void fieldChecks();
    void numbersAreStoredTypedAndEmptyAsNull();
    void defaultRowsAreKept();
    void levelNameStaysOnModify();
    void publisherPrefixIsUnique();
    void ruleNamesAreUniqueAndRenamesCarryOver();
    void everyMenuEntryHasItsWindow();
    void newRowIsAnEmptyLineAtTheEnd_data();
    void newRowIsAnEmptyLineAtTheEnd();
};

void AdminListsTest::addModifyDeleteAndKeepLastRow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable list = listFor("TBkKindFm");
    // The new database holds one category; it cannot be deleted.
    QVector<QSqlRecord> r = rows(list);
    QCOMPARE(r.size(), 1);
    QCOMPARE(list.deleteRefusal(&r[0]), QStringLiteral("至少留有一个！！"));
    QVERIFY(!list.remove(r[0]).ok);

    // A name of blanks is a name; quotes are stored as typed.
    const ListTable::Result added = list.insert({QStringLiteral("  ")});
    QVERIFY2(added.ok, qPrintable(added.message));
    QVERIFY(!added.rowKey.isEmpty());
    QVERIFY(list.insert({QStringLiteral("O'Brien\"文学")}).ok);
    r = rows(list);
    QCOMPARE(r.size(), 3);
    QCOMPARE(r.last().value(QStringLiteral("名称")).toString(), QStringLiteral("O'Brien\"文学"));

    const ListTable::Result changed = list.update(r.last(), {QStringLiteral("文学")});
    QVERIFY2(changed.ok, qPrintable(changed.message));
    QCOMPARE(names(QStringLiteral("select 名称 from 分类")),
             QStringList({QStringLiteral("  "), QStringLiteral("文学"), QStringLiteral("综合")}));

    r = rows(list);
    QCOMPARE(list.deleteQuestion(r[0]), QStringLiteral("您是否要删除\" 综合\""));
    QVERIFY(list.deleteRefusal(&r[0]).isEmpty());
    QVERIFY(list.remove(r[0]).ok);
    r = rows(list);
    QVERIFY(list.remove(r[0]).ok);
    r = rows(list);
    QCOMPARE(r.size(), 1);
    QCOMPARE(list.remove(r[0]).message, QStringLiteral("至少留有一个！！"));
    QCOMPARE(names(QStringLiteral("select 名称 from 分类")), QStringList{QStringLiteral("文学")});
}

void AdminListsTest::identicalRowsAreChangedOneAtATime()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable list = listFor("TPlaceFm");
    QVERIFY(list.insert({QStringLiteral("书库")}).ok); // now twice
    QVERIFY(list.insert({QStringLiteral("书库")}).ok); // three times
    QVector<QSqlRecord> r = rows(list);
    QCOMPARE(r.size(), 3);

    const ListTable::Result changed = list.update(r[1], {QStringLiteral("阅览室")});
    QVERIFY2(changed.ok, qPrintable(changed.message));
    QCOMPARE(
        names(QStringLiteral("select 存放位置名 from 存放位置")),
        QStringList({QStringLiteral("书库"), QStringLiteral("书库"), QStringLiteral("阅览室")}));

    r = rows(list);
    int shelf = -1;
    for (int i = 0; i < r.size() && shelf < 0; ++i) {
        if (r[i].value(QStringLiteral("存放位置名")).toString() == QStringLiteral("书库"))
            shelf = i;
    }
    QVERIFY(list.remove(r[shelf]).ok);
    QCOMPARE(names(QStringLiteral("select 存放位置名 from 存放位置")),
             QStringList({QStringLiteral("书库"), QStringLiteral("阅览室")}));
}

void AdminListsTest::rowChangedElsewhereIsNotOverwritten()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable list = listFor("TMoneyKindFm");
    QVERIFY(list.insert({QStringLiteral("美元")}).ok);
    const QVector<QSqlRecord> r = rows(list);
    QCOMPARE(r.size(), 2);
    // Another workstation renames the row after this window read it.
    QVERIFY(Statement(QStringLiteral("update 币种 set 币种='欧元' where 币种='美元'")).run());

    const ListTable::Result changed = list.update(r[1], {QStringLiteral("日元")});
    QVERIFY(!changed.ok);
    QCOMPARE(changed.message, ListTable::changedMeanwhileMessage());
    const ListTable::Result removed = list.remove(r[1]);
    QVERIFY(!removed.ok);
    QCOMPARE(names(QStringLiteral("select 币种 from 币种")),
             QStringList({QStringLiteral("人民币"), QStringLiteral("欧元")}));
}

void AdminListsTest::emptyListAndNoSelection()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable empty = listFor("TBk2KindFm"); // a new database has no second level
    QCOMPARE(empty.deleteRefusal(nullptr), QStringLiteral("列表是空的, 没有可删除的记录!"));
    const ListTable kinds = listFor("TBkKindFm");
    QCOMPARE(kinds.deleteRefusal(nullptr), QStringLiteral("请先在列表中选中要删除的一行!"));
    QCOMPARE(empty.rowCount(), 0);
}

void AdminListsTest::fieldChecks_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("message");
    const QString ok;
    QTest::newRow("empty name") << "TBkKindFm" << QStringList{QString()} << "请填写完整！";
    QTest::newRow("publisher needs only its name")
        << "TPubFm" << QStringList{QStringLiteral("作家出版社"), QString(), QString()} << ok;
    QTest::newRow("publisher without name")
        << "TPubFm" << QStringList{QString(), QStringLiteral("7-5063"), QStringLiteral("北京")}
        << "请填写完整！";
    QTest::newRow("category ok") << "TRdKindFm" << QStringList{"教师", " 60 ", "10", "0.5"} << ok;
    QTest::newRow("category all numbers empty")
        << "TRdKindFm" << QStringList{"教师", "", "", ""} << ok;
    QTest::newRow("days text") << "TRdKindFm" << QStringList{"教师", "三十", "10", "0"}
                               << "借阅天数必须是整数!";
    QTest::newRow("days fraction")
        << "TRdKindFm" << QStringList{"教师", "1.5", "10", "0"} << "借阅天数必须是整数!";
    QTest::newRow("days negative")
        << "TRdKindFm" << QStringList{"教师", "-1", "10", "0"} << "借阅天数必须是不小于0的整数!";
    QTest::newRow("limit text") << "TRdKindFm" << QStringList{"教师", "30", "x", "0"}
                                << "数量限制必须是整数!";
    QTest::newRow("limit too big")
        << "TRdKindFm" << QStringList{"教师", "30", "99999999999", "0"} << "数量限制必须是整数!";
    QTest::newRow("rent text") << "TRdKindFm" << QStringList{"教师", "30", "5", "abc"}
                               << "租金必须是不小于0的金额!";
    QTest::newRow("rent negative")
        << "TRdKindFm" << QStringList{"教师", "30", "5", "-0.1"} << "租金必须是不小于0的金额!";
    QTest::newRow("level ok") << "TRentLevelFm" << QStringList{"珍本", "1.25", "0"} << ok;
    QTest::newRow("level rent") << "TRentLevelFm" << QStringList{"珍本", "1,5", "2"}
                                << "租金必须是不小于0的金额!";
    QTest::newRow("level count") << "TRentLevelFm" << QStringList{"珍本", "1", "2.0"}
                                 << "可借数量必须是整数!";
    QTest::newRow("level count negative")
        << "TRentLevelFm" << QStringList{"珍本", "1", "-2"} << "可借数量必须是不小于0的整数!";
    QTest::newRow("level without name")
        << "TRentLevelFm" << QStringList{"", "1", "2"} << "请填写完整！";
    // Full-width digits, as the Chinese input method types them, count as digits.
    QTest::newRow("full-width numbers")
        << "TRdKindFm" << QStringList{"学生", "３０", "　５", "０.５"} << ok;
    QTest::newRow("full-width level")
        << "TRentLevelFm" << QStringList{"珍本", "１．２５", "２"} << ok;
    QTest::newRow("name of 50") << "TBkKindFm" << QStringList{QString(50, QChar(u'文'))} << ok;
    QTest::newRow("name too long") << "TBkKindFm" << QStringList{QString(51, QChar(u'文'))}
                                   << "名称不能超过50个字(现在是51个)!";
    QTest::newRow("publisher prefix too long")
        << "TPubFm" << QStringList{"作家出版社", QString(60, QChar(u'7')), ""}
        << "ISBN不能超过50个字(现在是60个)!";
}

// The lending rules are found by their names: a category or level name is given once, a
// renamed category takes its readers along, and the questions say how many rows use a name.
void AdminListsTest::ruleNamesAreUniqueAndRenamesCarryOver()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable kinds = listFor("TRdKindFm");
    const ListTable levels = listFor("TRentLevelFm");
    QCOMPARE(kinds.insert({"普通", "30", "5", "0"}).message,
             QStringLiteral("读者类别名 \"普通\" 已经有了, 不能重复!"));
    QCOMPARE(levels.insert({"普通", "0", "0"}).message,
             QStringLiteral("名称 \"普通\" 已经有了, 不能重复!"));
    QVERIFY(kinds.insert({"学生", "30", "5", "0"}).ok);
    QVERIFY(levels.insert({"珍本", "1", "1"}).ok);
    for (const char *sql : {"insert into 读者库 (读者编号, 类别) values ('R1', '学生')",
                            "insert into 读者库 (读者编号, 类别) values ('R2', '学生')",
                            "insert into 读者库 (读者编号, 类别) values ('R3', '普通')",
                            "insert into 图书 (编号, 物品级别) values ('B1', '珍本')",
                            "insert into 期刊 (编号, 物品级别) values ('Q1', '珍本')"})
        QVERIFY(Statement(QString::fromUtf8(sql)).run());

    QVector<QSqlRecord> k = rows(kinds);
    QCOMPARE(kinds.deleteQuestion(k[1]),
             QStringLiteral("您是否要删除\" 学生\"\n(有 2 位读者的类别是\"学生\")"));
    QCOMPARE(kinds.renameQuestion(k[1], {"本科生", "30", "5", "0"}),
             QStringLiteral("有 2 位读者的类别是\"学生\", 是否把它们一起改为\"本科生\"?"));
    QVERIFY(kinds.renameQuestion(k[1], {"学生", "60", "5", "0"}).isEmpty()); // same name
    QCOMPARE(kinds.update(k[1], {"普通", "30", "5", "0"}).message,
             QStringLiteral("读者类别名 \"普通\" 已经有了, 不能重复!"));
    const ListTable::Result renamed = kinds.update(k[1], {"本科生", "30", "5", "0"});
    QVERIFY2(renamed.ok, qPrintable(renamed.message));
    QCOMPARE(names(QStringLiteral("select 读者编号 from 读者库 where 类别='本科生'")),
             QStringList({"R1", "R2"}));
    QCOMPARE(scalar(QStringLiteral("select 类别 from 读者库 where 读者编号='R3'")).toString(),
             QStringLiteral("普通"));

    const QVector<QSqlRecord> l = rows(levels);
    QCOMPARE(levels.deleteQuestion(l[1]),
             QStringLiteral("您是否要删除\" 珍本\"\n(有 1 本图书和 1 本期刊的物品级别是\"珍本\")"));
    QVERIFY(levels.renameQuestion(l[1], {"善本", "1", "1"}).isEmpty()); // a level keeps its name
}

void AdminListsTest::fieldChecks()
{
    QFETCH(QString, className);
    QFETCH(QStringList, texts);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable list = listFor(className.toUtf8().constData());
    const int before = list.rowCount();
    QCOMPARE(list.validate(texts), message);
    const ListTable::Result r = list.insert(texts);
    QCOMPARE(r.ok, message.isEmpty());
    QCOMPARE(r.message, message);
    QCOMPARE(list.rowCount(), before + (message.isEmpty() ? 1 : 0));
}

void AdminListsTest::numbersAreStoredTypedAndEmptyAsNull()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable kinds = listFor("TRdKindFm");
    QVERIFY(kinds
                .insert({QStringLiteral("教师"), QStringLiteral(" 60 "), QString(),
                         QStringLiteral("0.25")})
                .ok);
    QSqlQuery q = Statement(QStringLiteral("select 借阅天数, 借阅数量限制, 租金 from 读者类别 "
                                           "where 类别名='教师'"))
                      .exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 60);
    QVERIFY(q.value(1).isNull());
    QCOMPARE(Money::fromVariant(q.value(2)), Money::fromRaw(2500));

    // A wrong value on 修改 leaves the row as it was.
    const QVector<QSqlRecord> r = rows(kinds);
    const ListTable::Result bad =
        kinds.update(r.last(), {QStringLiteral("教师"), QStringLiteral("x"), QString(), QString()});
    QCOMPARE(bad.message, QStringLiteral("借阅天数必须是整数!"));
    QCOMPARE(scalar(QStringLiteral("select 借阅天数 from 读者类别 where 类别名='教师'")).toInt(),
             60);
}

void AdminListsTest::defaultRowsAreKept()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable kinds = listFor("TRdKindFm");
    const ListTable levels = listFor("TRentLevelFm");
    QVector<QSqlRecord> k = rows(kinds);
    QVector<QSqlRecord> l = rows(levels);
    QCOMPARE(kinds.deleteRefusal(&k[0]), QStringLiteral("(普通)不能删除！"));
    QCOMPARE(levels.deleteRefusal(&l[0]), QStringLiteral("\"普通\"类型必须保留!"));
    QVERIFY(!kinds.remove(k[0]).ok);
    QVERIFY(!levels.remove(l[0]).ok);

    // A renamed "普通" category is an ordinary row: the last row may go.
    QVERIFY(kinds
                .update(k[0], {QStringLiteral("学生"), QStringLiteral("30"), QStringLiteral("5"),
                               QStringLiteral("0")})
                .ok);
    k = rows(kinds);
    QVERIFY(kinds.deleteRefusal(&k[0]).isEmpty());
    QVERIFY(kinds.remove(k[0]).ok);
    QCOMPARE(kinds.rowCount(), 0);

    // Any other level may be deleted, also when it would be the last but one.
    QVERIFY(levels.insert({QStringLiteral("珍本"), QStringLiteral("1"), QStringLiteral("1")}).ok);
    l = rows(levels);
    QVERIFY(levels.remove(l[1]).ok);
    QCOMPARE(levels.rowCount(), 1);
}

void AdminListsTest::levelNameStaysOnModify()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable levels = listFor("TRentLevelFm");
    const QVector<QSqlRecord> l = rows(levels);
    const ListTable::Result r =
        levels.update(l[0], {QStringLiteral("别的"), QStringLiteral("0.5"), QStringLiteral("3")});
    QVERIFY2(r.ok, qPrintable(r.message));
    QSqlQuery q = Statement(QStringLiteral("select 名称, 租金, 可借数量 from 物品级别")).exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("普通"));
    QCOMPARE(Money::fromVariant(q.value(1)), Money::fromRaw(5000));
    QCOMPARE(q.value(2).toInt(), 3);
    QVERIFY(!q.next());
}

void AdminListsTest::publisherPrefixIsUnique()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const ListTable pubs = listFor("TPubFm");
    QVERIFY(pubs.insert({QStringLiteral("作家出版社"), QStringLiteral("7-5063"),
                         QStringLiteral("北京")})
                .ok);
    QCOMPARE(pubs.insert({QStringLiteral("别的"), QStringLiteral("7-5063"), QString()}).message,
             QStringLiteral("ISBN \"7-5063\" 已经有了, 不能重复!"));
    QVERIFY(pubs.insert({QStringLiteral("无号出版社"), QString(), QString()}).ok);
    QCOMPARE(pubs.insert({QStringLiteral("又一家"), QString(), QString()}).message,
             QStringLiteral("已有一行的ISBN是空的, ISBN不能重复!"));
    // Keeping its own prefix is no conflict.
    const QVector<QSqlRecord> r = rows(pubs);
    QVERIFY(pubs.update(r[0], {QStringLiteral("作家出版社"), QStringLiteral("7-5063"),
                               QStringLiteral("北京市")})
                .ok);
    QCOMPARE(scalar(QStringLiteral("select 出版地 from 出版社名 where ISBN='7-5063'")).toString(),
             QStringLiteral("北京市"));
}

void AdminListsTest::everyMenuEntryHasItsWindow()
{
    const QStringList commands = {"图书分类设置", "二级分类设置", "出版社名设置", "单位/部门名",
                                  "存放位置",     "证件名设置",   "币种名设置",   "a1设置",
                                  "a2设置",       "a3设置",       "读者类别设置", "物品级别设置"};
    QSet<QString> tables;
    for (const QString &c : commands) {
        const ListSpec *setup = ListSpecs::byCommand(c);
        QVERIFY2(setup, qPrintable(c));
        tables.insert(setup->table);
        for (const ListField &f : setup->fields)
            QVERIFY2(!Schema::checkedColumn(setup->table, f.column).isEmpty(),
                     qPrintable(setup->table + f.column));
    }
    QCOMPARE(tables.size(), commands.size());
}

void AdminListsTest::newRowIsAnEmptyLineAtTheEnd_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("insert");
    QTest::newRow("categories") << "TBkKindFm"
                                << "insert into 分类 values ('文学')";
    QTest::newRow("publishers") << "TPubFm"
                                << "insert into 出版社名 values ('作家出版社', '7-5063', '北京')";
    QTest::newRow("reader categories") << "TRdKindFm"
                                       << "insert into 读者类别 values ('教师', 60, 10, 1.5)";
}

void AdminListsTest::newRowIsAnEmptyLineAtTheEnd()
{
    QFETCH(QString, className);
    QFETCH(QString, insert);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(insert).run());
    const ListTable list = listFor(className.toUtf8().constData());
    const QVector<QSqlRecord> stored = rows(list);
    QSqlQuery q = list.selectStatement(true).exec();
    QVERIFY2(!q.lastError().isValid(), qPrintable(Statement::lastError(q)));
    QVector<QSqlRecord> shown;
    while (q.next())
        shown << q.record();
    QCOMPARE(shown.size(), stored.size() + 1);
    for (int i = 0; i < stored.size(); ++i) {
        for (const ListField &f : list.setup().fields)
            QCOMPARE(shown[i].value(f.column), stored[i].value(f.column));
    }
    // Every column of the last line is empty, its address too.
    const QSqlRecord added = shown.last();
    QCOMPARE(added.count(), stored.first().count());
    for (int c = 0; c < added.count(); ++c)
        QVERIFY2(added.isNull(c), qPrintable(added.fieldName(c)));
}

QTEST_GUILESS_MAIN(AdminListsTest)
#include "admin_lists_dbtest.moc"
