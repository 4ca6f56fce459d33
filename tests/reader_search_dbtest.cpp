// Reader management's core on both databases: the search statements, the "contains" index
// and its results against the plain like, deletion of readers, the reader list and cards.
#include "TestDb.h"

#include "db/Schema.h"
#include "db/SchemaUpgrade.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "demo/LibraryGenerator.h"
#include "print/ReportModel.h"
#include "readers/ReaderDeletion.h"
#include "readers/ReaderPrint.h"
#include "readers/ReaderSearch.h"
#include "search/ContainsIndex.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

using ReaderSearch::Match;

bool insertReader(const QString &number, const QString &name, const QVariant &cardId = QVariant(),
                  const QString &registered = QStringLiteral("2020-01-01 09:00:00"))
{
    Statement st(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, CardId, 登记日期, 类别) "
                                "values ("));
    st.value(number).text(QStringLiteral(",")).value(name).text(QStringLiteral(","));
    st.value(cardId.isValid() ? cardId : QVariant(QMetaType(QMetaType::QString)));
    st.text(QStringLiteral(",")).value(registered).text(QStringLiteral(", '普通')"));
    QString error;
    if (!st.run(&error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

// Readers whose names hold the characters a pattern could take for wildcards or quotes.
const QStringList kSpecialNumbers = {"S1", "S2", "S3", "S4", "S5", "s7"};

bool insertSpecialReaders()
{
    return insertReader("S1", "O'Brien 100%", "C-1") && insertReader("S2", "a_b\\c") &&
           insertReader("S3", "Ab_cd 张三丰") && insertReader("S4", "ÄRGER abc") &&
           insertReader("S5", "Zhang \"X\" 50%") && insertReader("s7", "abcDEF");
}

// The readers a search lists, in its order; "ERROR" and the message when it fails.
QStringList numbersOf(const Statement &st)
{
    QSqlQuery q = st.exec();
    if (!q.isActive())
        return {QStringLiteral("ERROR"), Statement::lastError(q)};
    QStringList out;
    while (q.next())
        out << q.value(QStringLiteral("读者编号")).toString();
    return out;
}

ReaderSearch::Search contains(const QString &choice, const QString &text)
{
    ReaderSearch::Conditions c;
    c.choice = choice;
    c.value = text;
    c.match = Match::Contains;
    return ReaderSearch::build(c);
}

QStringList specialsOnly(const QStringList &numbers)
{
    QStringList out;
    for (const QString &n : numbers) {
        if (kSpecialNumbers.contains(n))
            out << n;
    }
    return out;
}

QStringList found(const QString &choice, const QString &text)
{
    const ReaderSearch::Search s = contains(choice, text);
    return s.ok ? numbersOf(s.statement) : QStringList{QStringLiteral("REFUSED"), s.message};
}

// The readers whose column holds the text, by the plain like of the database (ilike on the
// server, for Latin letters in any case), without any index.
QStringList byPlainLike(const QString &column, const QString &text)
{
    const bool server = SharedConnection::dialect() == SqlDialect::Server;
    Statement st(QStringLiteral("select * from 读者库 where cast(%1 as text)%2")
                     .arg(column, server ? QStringLiteral(" ilike ") : QStringLiteral(" like ")));
    st.value(ContainsIndex::likePattern(text)).text(QStringLiteral(" escape '\\' order by 1,2"));
    return numbersOf(st);
}

bool rebuildIndex()
{
    QStringList notes;
    QString error;
    const bool ok = ContainsIndex::ensure(SharedConnection::database(), SharedConnection::dialect(),
                                          &notes, &error);
    if (!notes.isEmpty())
        qWarning("%s", qPrintable(notes.join(QLatin1Char('\n'))));
    return ok && notes.isEmpty();
}

} // namespace

class ReaderSearchTest : public QObject {
    Q_OBJECT
private slots:
    void containsFindsWhatPlainLikeFinds_data();
    void containsFindsWhatPlainLikeFinds();
    void likeWhereCaseCannotMatter_data();
    void likeWhereCaseCannotMatter();
    void indexFollowsChangesOfReaders();
    void indexMadeWithLibraryAndByUpgrade();
    void indexThatCannotBeBuiltIsToldAndLeftOut();
    void refusedConditions_data();
    void refusedConditions();
    void searchesByEachKindOfCondition();
    void registrationDateRangeEndsAtMidnight();
    void openingAndShowAllStatements();
    void deletionRefusedWhileItemsAreOut();
    void readerListAndCards();
};

void ReaderSearchTest::containsFindsWhatPlainLikeFinds_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    // The special readers the search must list; "?" leaves them unchecked (letters outside
    // ASCII are compared by each database's own rules).
    QTest::addColumn<QStringList>("specials");
    QTest::newRow("one hanzi") << "读者姓名"
                               << "张" << QStringList{"S3"};
    QTest::newRow("two hanzi") << "读者姓名"
                               << "三丰" << QStringList{"S3"};
    QTest::newRow("three hanzi") << "读者姓名"
                                 << "张三丰" << QStringList{"S3"};
    QTest::newRow("lower case") << "读者姓名"
                                << "abc" << QStringList{"S4", "s7"};
    QTest::newRow("upper case") << "读者姓名"
                                << "ABC" << QStringList{"S4", "s7"};
    QTest::newRow("mixed case") << "读者姓名"
                                << "CdEf" << QStringList{"s7"};
    QTest::newRow("underscore is no wildcard") << "读者姓名"
                                               << "b_c" << QStringList{"S3"};
    QTest::newRow("short underscore") << "读者姓名"
                                      << "_b" << QStringList{"S2"};
    QTest::newRow("three underscores") << "读者姓名"
                                       << "___" << QStringList{};
    QTest::newRow("percent is no wildcard") << "读者姓名"
                                            << "100%" << QStringList{"S1"};
    QTest::newRow("short percent") << "读者姓名"
                                   << "0%" << QStringList{"S1", "S5"};
    QTest::newRow("percent alone") << "读者姓名"
                                   << "%" << QStringList{"S1", "S5"};
    QTest::newRow("three percents") << "读者姓名"
                                    << "%%%" << QStringList{};
    QTest::newRow("single quote") << "读者姓名"
                                  << "'Bri" << QStringList{"S1"};
    QTest::newRow("double quotes") << "读者姓名"
                                   << "\"X\"" << QStringList{"S5"};
    QTest::newRow("backslash") << "读者姓名"
                               << "b\\c" << QStringList{"S2"};
    QTest::newRow("blank inside") << "读者姓名"
                                  << "g \"" << QStringList{"S5"};
    QTest::newRow("letters outside ASCII") << "读者姓名"
                                           << "ärg" << QStringList{"?"};
    QTest::newRow("hanzi and a letter") << "读者姓名"
                                        << "三丰A" << QStringList{};
    QTest::newRow("sign and a letter") << "读者姓名"
                                       << "_C" << QStringList{"S3"};
    QTest::newRow("demo name part") << "读者姓名"
                                    << "欧阳" << QStringList{};
    QTest::newRow("number digits") << "读者编号"
                                   << "000" << QStringList{};
    QTest::newRow("number of four") << "读者编号"
                                    << "0001" << QStringList{};
    QTest::newRow("number one letter") << "读者编号"
                                       << "s" << QStringList(kSpecialNumbers);
    QTest::newRow("number in other case") << "读者编号"
                                          << "S7" << QStringList{"s7"};
    QTest::newRow("card number") << "读者卡号"
                                 << "C-1" << QStringList{"S1"};
    QTest::newRow("column without index") << "单位部门"
                                          << "学院" << QStringList{};
}

// The index only narrows the rows to look at, and like stands for ilike on the server only
// where case cannot matter: with the index and without it, the readers the plain like (ilike)
// finds, in the same order, whatever the text.
void ReaderSearchTest::containsFindsWhatPlainLikeFinds()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QStringList, specials);
    TestDb t;
    TSGL_FRESH_DB(t);
    QString error;
    QVERIFY2(LibraryGenerator::fillDemo(t.db(), &error), qPrintable(error));
    QVERIFY(insertSpecialReaders());
    if (t.dialect() == SqlDialect::Embedded)
        QVERIFY(ContainsIndex::isBuilt(t.db(), QStringLiteral("读者库")));

    const ReaderSearch::Search indexed = contains(column, text);
    QVERIFY2(indexed.ok, qPrintable(indexed.message));
    const bool usesIndex = indexed.statement.sql().contains(QStringLiteral(" match "));
    const bool served = t.dialect() == SqlDialect::Embedded &&
                        text.size() >= ContainsIndex::kMinimumLength &&
                        ContainsIndex::isIndexed(QStringLiteral("读者库"), column);
    QCOMPARE(usesIndex, served);
    const QStringList withIndex = numbersOf(indexed.statement);
    QVERIFY2(withIndex.value(0) != QLatin1String("ERROR"), qPrintable(withIndex.join(' ')));
    QCOMPARE(withIndex, byPlainLike(ReaderSearch::columnOf(column), text));

    QVERIFY(ContainsIndex::drop(t.db(), t.dialect(), &error));
    const ReaderSearch::Search plain = contains(column, text);
    QVERIFY(!plain.statement.sql().contains(QStringLiteral(" match ")));
    QCOMPARE(numbersOf(plain.statement), withIndex);

    if (specials != QStringList{"?"})
        QCOMPARE(specialsOnly(withIndex), specials);
    // The demo readers are found as well (names and numbers of the generated library).
    if (text == QLatin1String("000") || text == QLatin1String("0001"))
        QVERIFY(!withIndex.isEmpty());
}

void ReaderSearchTest::likeWhereCaseCannotMatter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("server");
    QTest::newRow("hanzi") << "张三"
                           << " like ";
    QTest::newRow("digits and signs") << "0%_'\\"
                                      << " like ";
    QTest::newRow("Latin letter") << "三丰a"
                                  << " ilike ";
    QTest::newRow("capital") << "X"
                             << " ilike ";
    QTest::newRow("letter outside ASCII") << "ä"
                                          << " ilike ";
    QTest::newRow("full-width letter") << "ａ"
                                       << " ilike ";
}

// On the server like takes the place of ilike only for texts without letters that have a
// case; the embedded database's like already ignores the case of Latin letters.
void ReaderSearchTest::likeWhereCaseCannotMatter()
{
    QFETCH(QString, text);
    QFETCH(QString, server);
    QCOMPARE(ContainsIndex::likeOperator(SqlDialect::Server, text), server);
    QCOMPARE(ContainsIndex::likeOperator(SqlDialect::Embedded, text), QStringLiteral(" like "));
}

void ReaderSearchTest::indexFollowsChangesOfReaders()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QString name = QStringLiteral("读者姓名");
    const QString number = QStringLiteral("读者编号");
    QVERIFY(insertReader("N1", "新读者甲乙"));
    QVERIFY(insertReader("N2", "别的读者"));
    QCOMPARE(found(name, "读者甲"), QStringList{"N1"});

    QVERIFY(Statement(QStringLiteral("update 读者库 set 读者姓名='改名丙丁戊' where 读者编号='N1'"))
                .run());
    QCOMPARE(found(name, "读者甲"), QStringList{});
    QCOMPARE(found(name, "丙丁戊"), QStringList{"N1"});
    // The number may be changed by the editing window.
    QVERIFY(
        Statement(QStringLiteral("update 读者库 set 读者编号='NEW1' where 读者编号='N1'")).run());
    QCOMPARE(found(number, "EW1"), QStringList{"NEW1"});
    QCOMPARE(found(name, "丙丁戊"), QStringList{"NEW1"});
    // A lending changes the counters only.
    QVERIFY(Statement(QStringLiteral("update 读者库 set 未还数量=1, 累计借阅次数=3")).run());
    QCOMPARE(found(name, "丙丁戊"), QStringList{"NEW1"});

    QVERIFY(Statement(QStringLiteral("delete from 读者库 where 读者编号='NEW1'")).run());
    QCOMPARE(found(name, "丙丁戊"), QStringList{});
    QCOMPARE(found(name, "别的读者"), QStringList{"N2"});
    // The last row's number is used again by the next row.
    QVERIFY(Statement(QStringLiteral("delete from 读者库 where 读者编号='N2'")).run());
    QVERIFY(insertReader("N3", "第三位读者"));
    QCOMPARE(found(name, "第三位"), QStringList{"N3"});
    QCOMPARE(found(name, "别的读者"), QStringList{});

    if (t.dialect() == SqlDialect::Embedded) {
        // A row replaced by "insert or replace" leaves no entry of its old text behind.
        for (const char *sql :
             {"insert or replace into 读者库 (读者编号, 读者姓名) values "
              "('R9', '旧名字一')",
              "insert or replace into 读者库 (读者编号, 读者姓名) values "
              "('R9', '新名字二')",
              "insert into 读者库 (读者编号, 读者姓名) values ('R10', '旧名字一号')"})
            QVERIFY2(Statement(QString::fromUtf8(sql)).run(), sql);
        QCOMPARE(found(name, "名字二"), QStringList{"R9"});
        QCOMPARE(found(name, "旧名字一"), QStringList{"R10"});
    }
}

void ReaderSearchTest::indexMadeWithLibraryAndByUpgrade()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QString table = QStringLiteral("读者库");
    auto serverIndexes = [] {
        QStringList out;
        QSqlQuery q = Statement(QStringLiteral("select indexname from pg_indexes where "
                                               "indexname like 'ix\\_读者库\\_%trgm' order by 1"))
                          .exec();
        while (q.next())
            out << q.value(0).toString();
        return out;
    };
    QStringList expectedServer = {ContainsIndex::serverIndexName(table, "读者编号"),
                                  ContainsIndex::serverIndexName(table, "读者姓名")};
    expectedServer.sort();
    if (t.dialect() == SqlDialect::Server)
        QCOMPARE(serverIndexes(), expectedServer);
    else
        QVERIFY(ContainsIndex::isBuilt(t.db(), table));

    // A library of an earlier version has no index; it is searched all the same.
    QString error;
    QVERIFY(ContainsIndex::drop(t.db(), t.dialect(), &error));
    QVERIFY(insertReader("U1", "升级前的读者"));
    QVERIFY(!ContainsIndex::isBuilt(t.db(), table));
    QCOMPARE(found("读者姓名", "升级前"), QStringList{"U1"});

    QStringList notes;
    QVERIFY2(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error), qPrintable(error));
    QVERIFY2(notes.isEmpty(), qPrintable(notes.join('\n')));
    if (t.dialect() == SqlDialect::Server)
        QCOMPARE(serverIndexes(), expectedServer);
    else
        QVERIFY(ContainsIndex::isBuilt(t.db(), table));
    // Rows that were there before the upgrade are in the index.
    const ReaderSearch::Search s = contains("读者姓名", "升级前");
    QCOMPARE(s.statement.sql().contains(" match "), t.dialect() == SqlDialect::Embedded);
    QCOMPARE(numbersOf(s.statement), QStringList{"U1"});

    // A second start finds nothing to do.
    const QString catalogue = t.dialect() == SqlDialect::Server
                                  ? QStringLiteral("select string_agg(indexname || ':' || "
                                                   "indexdef, ',' order by indexname) from "
                                                   "pg_indexes where schemaname=current_schema()")
                                  : QStringLiteral("select group_concat(type || name || "
                                                   "coalesce(sql, '')) from sqlite_master");
    const QVariant before = scalar(catalogue);
    QVERIFY(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error));
    QCOMPARE(scalar(catalogue), before);

    if (t.dialect() == SqlDialect::Embedded) {
        // A trigger lost (a table written anew drops them) makes the upgrade build the index
        // again, with the rows written meanwhile.
        QVERIFY(
            Statement(QStringLiteral("drop trigger ") + ContainsIndex::triggerNames(table).first())
                .run());
        QVERIFY(!ContainsIndex::isBuilt(t.db(), table));
        QVERIFY(insertReader("U2", "没有触发器时登记"));
        QVERIFY(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error));
        QVERIFY(notes.isEmpty());
        QVERIFY(ContainsIndex::isBuilt(t.db(), table));
        const ReaderSearch::Search s2 = contains("读者姓名", "触发器");
        QVERIFY(s2.statement.sql().contains(" match "));
        QCOMPARE(numbersOf(s2.statement), QStringList{"U2"});
    }
}

// A reader table of another shape (without 读者姓名) gets no index: the upgrade says so and
// goes on, leaves nothing of the index behind, and the other columns are searched by like.
void ReaderSearchTest::indexThatCannotBeBuiltIsToldAndLeftOut()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QString error;
    QVERIFY(ContainsIndex::drop(t.db(), t.dialect(), &error));
    for (const char *sql : {"drop table 读者库",
                            "create table 读者库 (读者编号 varchar not null primary key, 类别 "
                            "varchar)",
                            "insert into 读者库 values ('X1', '学生')"})
        QVERIFY2(Statement(QString::fromUtf8(sql)).run(&error), qPrintable(error));
    QStringList notes;
    QVERIFY2(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error), qPrintable(error));
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().startsWith(QStringLiteral("数据表 读者库 的模糊查询索引无法建立; "
                                                     "模糊查询照常可用")),
             qPrintable(notes.first()));
    const QString leftovers =
        t.dialect() == SqlDialect::Server
            ? QStringLiteral("select count(*) from pg_indexes where indexname like "
                             "'%读者库%trgm'")
            : QStringLiteral("select count(*) from sqlite_master where name like '读者库_全文%'");
    QCOMPARE(scalar(leftovers).toInt(), 0);
    QVERIFY(!ContainsIndex::isBuilt(t.db(), QStringLiteral("读者库")));
    QCOMPARE(found("读者编号", "X1"), QStringList{"X1"});
    QCOMPARE(found("类别", "学生"), QStringList{"X1"});
}

void ReaderSearchTest::refusedConditions_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("dateRange");
    QTest::addColumn<QString>("message");
    const QString fill = QStringLiteral("请填写好查询条件!");
    QTest::newRow("nothing") << "读者编号"
                             << "" << false << fill;
    QTest::newRow("blanks only") << "读者编号"
                                 << "   " << false << fill;
    QTest::newRow("no column") << ""
                               << "张" << false << fill;
    QTest::newRow("no column, dates") << ""
                                      << "张" << true << QStringLiteral("请选择要查询的项目!");
    QTest::newRow("not a column")
        << "姓名"
        << "张" << false
        << QStringLiteral("读者库中没有可以查询的“姓名”, 请从列表中选择要查询的项目!");
    QTest::newRow("statement text")
        << "读者姓名 or 1=1"
        << "张" << false
        << QStringLiteral("读者库中没有可以查询的“读者姓名 or 1=1”, 请从列表中选择要查询的项目!");
    QTest::newRow("photo") << "pic"
                           << "x" << false
                           << QStringLiteral(
                                  "读者库中没有可以查询的“pic”, 请从列表中选择要查询的项目!");
}

void ReaderSearchTest::refusedConditions()
{
    QFETCH(QString, choice);
    QFETCH(QString, value);
    QFETCH(bool, dateRange);
    QFETCH(QString, message);
    ReaderSearch::Conditions c;
    c.choice = choice;
    c.value = value;
    c.dateRange = dateRange;
    c.from = QDate(2024, 3, 1);
    c.to = QDate(2024, 3, 2);
    const ReaderSearch::Search s = ReaderSearch::build(c);
    QVERIFY(!s.ok);
    QCOMPARE(s.message, message);
    QVERIFY(s.statement.sql().isEmpty());
    QCOMPARE(s.value, value.trimmed());
}

void ReaderSearchTest::searchesByEachKindOfCondition()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertSpecialReaders());
    QVERIFY(insertReader("A1", "张三", "CARD-9", "2024-03-05 10:00:00"));
    QVERIFY(insertReader("A2", "张三", QVariant(), "2024-04-05 10:00:00"));
    QVERIFY(Statement(QStringLiteral("update 读者库 set 类别='学生', 累计借阅次数=12 "
                                     "where 读者编号 in ('A1','S1')"))
                .run());

    ReaderSearch::Conditions c;
    // Exact: the whole value, the case of letters counting.
    c.choice = QStringLiteral("读者姓名");
    c.value = QStringLiteral("  张三 ");
    c.match = Match::Exact;
    ReaderSearch::Search s = ReaderSearch::build(c);
    QVERIFY(s.ok);
    QCOMPARE(s.value, QStringLiteral("张三"));
    QCOMPARE(numbersOf(s.statement), QStringList({"A1", "A2"}));
    c.value = QStringLiteral("张");
    QCOMPARE(numbersOf(ReaderSearch::build(c).statement), QStringList{});
    c.choice = QStringLiteral("读者编号");
    c.value = QStringLiteral("S7");
    QCOMPARE(numbersOf(ReaderSearch::build(c).statement), QStringList{});
    c.choice = QStringLiteral("类别");
    c.value = QStringLiteral("学生");
    QCOMPARE(numbersOf(ReaderSearch::build(c).statement), QStringList({"A1", "S1"}));
    // A column typed in another case is the column.
    c.choice = QStringLiteral("cardid");
    c.value = QStringLiteral("CARD-9");
    QCOMPARE(numbersOf(ReaderSearch::build(c).statement), QStringList{"A1"});
    // A number column is compared as text.
    c.choice = QStringLiteral("累计借阅次数");
    c.value = QStringLiteral("12");
    QCOMPARE(numbersOf(ReaderSearch::build(c).statement), QStringList({"A1", "S1"}));
    c.value = QStringLiteral("十二");
    QCOMPARE(numbersOf(ReaderSearch::build(c).statement), QStringList{});

    // 读者卡号 is CardId; the box is emptied for the next card.
    c.choice = QStringLiteral("读者卡号");
    c.value = QStringLiteral("CARD-9");
    s = ReaderSearch::build(c);
    QVERIFY(s.ok);
    QVERIFY(s.value.isEmpty());
    QCOMPARE(numbersOf(s.statement), QStringList{"A1"});
    c.match = Match::Contains;
    c.value = QStringLiteral("card");
    QCOMPARE(numbersOf(ReaderSearch::build(c).statement), QStringList{"A1"});

    // With the registration dates as well.
    c.choice = QStringLiteral("读者姓名");
    c.value = QStringLiteral("张");
    c.dateRange = true;
    c.from = QDate(2024, 4, 1);
    c.to = QDate(2024, 5, 1);
    s = ReaderSearch::build(c);
    QVERIFY(s.statement.sql().endsWith(QStringLiteral(" order by 1,2")));
    QCOMPARE(numbersOf(s.statement), QStringList{"A2"});
    // The dates alone: no order of their own.
    c.value.clear();
    c.from = QDate(2024, 3, 1);
    s = ReaderSearch::build(c);
    QVERIFY(s.ok);
    QVERIFY(!s.statement.sql().contains(QStringLiteral("order by")));
    QStringList inRange = numbersOf(s.statement);
    inRange.sort();
    QCOMPARE(inRange, QStringList({"A1", "A2"}));
}

void ReaderSearchTest::registrationDateRangeEndsAtMidnight()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QDate today(2024, 3, 15);
    const QDate from = ReaderSearch::defaultFrom(today);
    const QDate to = ReaderSearch::defaultTo(today);
    QCOMPARE(from, QDate(2024, 3, 1));
    QCOMPARE(to, QDate(2024, 3, 16));
    const QList<QPair<QString, QString>> readers = {
        {"D1", "2024-02-29 23:59:59"}, {"D2", "2024-03-01"}, {"D3", "2024-03-01 08:00:00"},
        {"D4", "2024-03-15 23:59:59"}, {"D5", "2024-03-16"}, {"D6", "2024-03-16 00:00:01"},
        {"D7", "2024-04-01 12:00:00"},
    };
    for (const auto &r : readers)
        QVERIFY(insertReader(r.first, QStringLiteral("读者") + r.first, QVariant(), r.second));
    ReaderSearch::Conditions c;
    c.choice = QStringLiteral("读者编号");
    c.dateRange = true;
    c.from = from;
    c.to = to;
    QStringList numbers = numbersOf(ReaderSearch::build(c).statement);
    numbers.sort();
    // Every reader of the first of the month up to the end of today; midnight of tomorrow is
    // the end of the range itself.
    QCOMPARE(numbers, QStringList({"D2", "D3", "D4", "D5"}));
}

void ReaderSearchTest::openingAndShowAllStatements()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("B2", "乙"));
    QVERIFY(insertReader("B1", "甲"));
    QVERIFY(insertReader("A9", "丙"));
    QCOMPARE(ReaderSearch::openingStatement().sql(),
             QStringLiteral("select * from 读者库  order by 1,2"));
    QCOMPARE(numbersOf(ReaderSearch::openingStatement()), QStringList({"A9", "B1", "B2"}));
    QCOMPARE(ReaderSearch::allStatement().sql(), QStringLiteral("select * from 读者库"));
    QCOMPARE(numbersOf(ReaderSearch::allStatement()).size(), 3);
    QCOMPARE(ReaderSearch::columnChoices().size(), 13);
    for (const QString &choice : ReaderSearch::columnChoices())
        QVERIFY2(!ReaderSearch::columnOf(choice).isEmpty(), qPrintable(choice));
    QCOMPARE(ReaderSearch::columnOf(QStringLiteral("读者卡号")), QStringLiteral("CardId"));
}

void ReaderSearchTest::deletionRefusedWhileItemsAreOut()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("L1", "借着书的"));
    QVERIFY(insertReader("L2", "都还了的"));
    QVERIFY(insertReader("L3", "O'Brien"));
    for (const char *sql : {"insert into 借出记录 (读者编号, 读者姓名, 编号, 已还) values "
                            "('L1', '借着书的', 'B1', '否')",
                            "insert into 借出记录 (读者编号, 读者姓名, 编号, 已还) values "
                            "('L1', '借着书的', 'B2', '否')",
                            "insert into 借出记录 (读者编号, 读者姓名, 编号, 已还) values "
                            "('L1', '借着书的', 'B3', '是')",
                            "insert into 借出记录 (读者编号, 读者姓名, 编号, 已还) values "
                            "('L2', '都还了的', 'B1', '是')"})
        QVERIFY(Statement(QString::fromUtf8(sql)).run());

    QCOMPARE(ReaderDeletion::question(QStringLiteral("张三")),
             QStringLiteral("您是否要删除\" 张三\""));
    ReaderDeletion::Result r =
        ReaderDeletion::remove(QStringLiteral("L1"), QStringLiteral("借着书的"));
    QVERIFY(!r.deleted);
    QCOMPARE(r.message, QStringLiteral("读者“借着书的”(读者编号 L1) 还有 2 件借出的物品没有归还, "
                                       "不能删除! 请先归还."));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 读者库 where 读者编号='L1'")).toInt(), 1);

    r = ReaderDeletion::remove(QStringLiteral("L2"), QStringLiteral("都还了的"));
    QVERIFY2(r.deleted, qPrintable(r.message));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 读者库 where 读者编号='L2'")).toInt(), 0);
    // His loan records stay.
    QCOMPARE(scalar(QStringLiteral("select count(*) from 借出记录 where 读者编号='L2'")).toInt(),
             1);
    r = ReaderDeletion::remove(QStringLiteral("L3"), QStringLiteral("O'Brien"));
    QVERIFY(r.deleted);
    QCOMPARE(found("读者姓名", "Brien"), QStringList{});

    r = ReaderDeletion::remove(QStringLiteral("L2"), QStringLiteral("都还了的"));
    QVERIFY(!r.deleted);
    QCOMPARE(r.message, QStringLiteral("没有找到读者编号为“L2”的读者, 可能已被别的工作站删除."));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 读者库")).toInt(), 1);
}

void ReaderSearchTest::readerListAndCards()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("R2", "李四"));
    QVERIFY(insertReader("R1", "张三"));
    QVERIFY(Statement(QStringLiteral("update 读者库 set 性别='男', 单位部门='物理学院', "
                                     "累计借阅次数=7, 未还数量=2, 类别='学生' where 读者编号='R1'"))
                .run());
    QVERIFY(
        Statement(QStringLiteral("update 系统设置 set 借阅证背面文字='遗失请及时挂失.'")).run());

    ReportModel list;
    QString error;
    const QDateTime at(QDate(2024, 3, 15), QTime(9, 30, 5));
    QVERIFY2(ReaderPrint::listReport(ReaderSearch::openingStatement(), at, &list, &error),
             qPrintable(error));
    QCOMPARE(list.pageCount(), 1);
    QCOMPARE(list.texts(0, "columnTitle"),
             QStringList({"编号", "姓名", "性别", "单位部门", "借阅次数", "未还数量"}));
    QCOMPARE(list.texts(0, "heading"), QStringList{"2024-03-15       09:30:05"});
    QCOMPARE(list.texts(0, "cell").mid(0, 6),
             QStringList({"R1", "张三", "男", "物理学院", "7", "2"}));
    QCOMPARE(list.texts(0, "cell").value(6), QStringLiteral("R2"));

    QVector<ReportModel> cards;
    QVERIFY2(ReaderPrint::cardReports(ReaderSearch::openingStatement(), QStringLiteral("市图书馆"),
                                      &cards, &error),
             qPrintable(error));
    QCOMPARE(cards.size(), 2);
    const ReportModel &front = cards[0];
    const ReportModel &back = cards[1];
    QCOMPARE(front.pageCount(), 2);
    QCOMPARE(back.pageCount(), 2);
    QCOMPARE(front.texts(0, "heading"), QStringList{"市图书馆"});
    QCOMPARE(front.texts(0, "name"), QStringList{"姓名:张三"});
    QCOMPARE(front.texts(0, "category"), QStringList{"学生"});
    for (int page = 0; page < 2; ++page) {
        const QVector<const ReportItem *> codes = front.items(page, "barcode");
        QCOMPARE(codes.size(), 1);
        QCOMPARE(codes[0]->field, QStringLiteral("读者编号"));
        QCOMPARE(codes[0]->barcode.symbology(), Barcode::Symbology::Code128A);
        QCOMPARE(codes[0]->barcode.text(), page == 0 ? QStringLiteral("R1") : QStringLiteral("R2"));
        QVERIFY(codes[0]->barcode.hasBars());
        QCOMPARE(back.texts(page, "backText"), QStringList{"遗失请及时挂失."});
    }
}

QTEST_MAIN(ReaderSearchTest)
#include "reader_search_dbtest.moc"
