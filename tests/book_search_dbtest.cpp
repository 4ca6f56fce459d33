// Book management's core on both databases: the searches and their "contains" index against
// the plain like, the combined search, the summary line, deletion of books, recommendations
// and every report of the window.
#include "TestDb.h"

#include "catalogue/BookReports.h"
#include "catalogue/BookSearch.h"
#include "catalogue/ItemDeletion.h"
#include "catalogue/Recommendations.h"
#include "db/SchemaUpgrade.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "demo/LibraryGenerator.h"
#include "print/ReportModel.h"
#include "search/ContainsIndex.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

using BookSearch::Match;

bool insertBook(const QString &number, const QString &title, const QString &author = QString(),
                const QString &entered = QStringLiteral("2020-01-01 09:00:00"),
                const QString &barcode = QStringLiteral("n"), int count = 1,
                const QString &price = QStringLiteral("10"))
{
    Statement st(QStringLiteral("insert into 图书 (编号, 条形码, 名称, 作者, 入库时间, 数量, 价格, "
                                "isbn, 分类, 存放位置, 分类号, zch, 索书号) values ("));
    st.value(number).text(",").value(barcode).text(",").value(title).text(",").value(author);
    st.text(",").value(entered).text(",").value(count).text(",").value(price.toDouble());
    st.text(",").value(QStringLiteral("7-5005-") + number);
    st.text(QStringLiteral(", '文学', '一楼', 'I247', 3, 'I247/3')"));
    QString error;
    if (!st.run(&error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

const QStringList kSpecialNumbers = {"S1", "S2", "S3", "S4", "S5", "s7"};

bool insertSpecialBooks()
{
    return insertBook("S1", "O'Brien 100%", "王小波", "2020-01-01", "6901234567892") &&
           insertBook("S2", "a_b\\c", "Mark Twain") &&
           insertBook("S3", "高等数学 第二版", "同济") && insertBook("S4", "数学", "华罗庚") &&
           insertBook("S5", "Zhang \"X\" 50%", "张") && insertBook("s7", "abcDEF", "ab");
}

QStringList numbersOf(const Statement &st)
{
    QSqlQuery q = st.exec();
    if (!q.isActive())
        return {QStringLiteral("ERROR"), Statement::lastError(q)};
    QStringList out;
    while (q.next())
        out << q.value(QStringLiteral("编号")).toString();
    return out;
}

BookSearch::Search contains(const QString &choice, const QString &text)
{
    BookSearch::Conditions c;
    c.choice = choice;
    c.value = text;
    return BookSearch::build(c);
}

QStringList found(const QString &choice, const QString &text)
{
    const BookSearch::Search s = contains(choice, text);
    return s.ok ? numbersOf(s.statement) : QStringList{QStringLiteral("REFUSED"), s.message};
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

// The books whose column holds the text by the plain like (ilike on the server), no index.
QStringList byPlainLike(const QString &column, const QString &text)
{
    const bool server = SharedConnection::dialect() == SqlDialect::Server;
    Statement st(QStringLiteral("select * from 图书 where %1%2")
                     .arg(column, server ? QStringLiteral(" ilike ") : QStringLiteral(" like ")));
    st.value(ContainsIndex::likePattern(text)).text(QStringLiteral(" escape '\\' order by 1,2"));
    return numbersOf(st);
}

} // namespace

class BookSearchTest : public QObject {
    Q_OBJECT
private slots:
    void containsFindsWhatPlainLikeFinds_data();
    void containsFindsWhatPlainLikeFinds();
    void indexFollowsChangesAndIsBuiltByUpgrade();
    void exactContainsAndDates();
    void refusedConditions_data();
    void refusedConditions();
    void combinedSearch_data();
    void combinedSearch();
    void openingStatementAndSummary();
    void deletionKeepsBooksOutOnLoan();
    void recommendationReasonLimit_data();
    void recommendationReasonLimit();
    void recommendationsListedAndRemoved();
    void reports();
};

void BookSearchTest::containsFindsWhatPlainLikeFinds_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    // The special books the search must list; "?" leaves them unchecked.
    QTest::addColumn<QStringList>("specials");
    QTest::newRow("title one hanzi") << "名称"
                                     << "数" << QStringList{"S3", "S4"};
    QTest::newRow("title two hanzi") << "名称"
                                     << "数学" << QStringList{"S3", "S4"};
    QTest::newRow("title three hanzi") << "名称"
                                       << "等数学" << QStringList{"S3"};
    QTest::newRow("title long") << "名称"
                                << "高等数学 第二" << QStringList{"S3"};
    QTest::newRow("title letters any case") << "名称"
                                            << "ABC" << QStringList{"s7"};
    QTest::newRow("title underscore literal") << "名称"
                                              << "_b" << QStringList{"S2"};
    QTest::newRow("title percent literal") << "名称"
                                           << "0%" << QStringList{"S1", "S5"};
    QTest::newRow("title quote") << "名称"
                                 << "'Bri" << QStringList{"S1"};
    QTest::newRow("title double quotes") << "名称"
                                         << "\"X\"" << QStringList{"S5"};
    QTest::newRow("author one letter") << "作者"
                                       << "a" << QStringList{"S2", "s7"};
    QTest::newRow("author two hanzi") << "作者"
                                      << "小波" << QStringList{"S1"};
    QTest::newRow("author three") << "作者"
                                  << "王小波" << QStringList{"S1"};
    QTest::newRow("isbn") << "isbn"
                          << "5005-S" << QStringList(kSpecialNumbers);
    QTest::newRow("barcode digits") << "条形码"
                                    << "12345" << QStringList{"S1"};
    QTest::newRow("barcode two") << "条形码"
                                 << "69" << QStringList{"S1"};
    QTest::newRow("column without index") << "存放位置"
                                          << "一楼" << QStringList(kSpecialNumbers);
    QTest::newRow("demo title") << "名称"
                                << "中国" << QStringList{};
    QTest::newRow("demo title three") << "名称"
                                      << "的研究" << QStringList{};
}

// With the index and without it, the books the plain like finds, in the same order.
void BookSearchTest::containsFindsWhatPlainLikeFinds()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QStringList, specials);
    TestDb t;
    TSGL_FRESH_DB(t);
    QString error;
    QVERIFY2(LibraryGenerator::fillDemo(t.db(), &error), qPrintable(error));
    QVERIFY(insertSpecialBooks());
    if (t.dialect() == SqlDialect::Embedded)
        QVERIFY(ContainsIndex::isBuilt(t.db(), QStringLiteral("图书")));

    const BookSearch::Search indexed = contains(column, text);
    QVERIFY2(indexed.ok, qPrintable(indexed.message));
    const bool usesIndex = indexed.statement.sql().contains(QStringLiteral(" match "));
    const bool served = t.dialect() == SqlDialect::Embedded &&
                        text.size() >= ContainsIndex::kMinimumLength &&
                        ContainsIndex::isIndexed(QStringLiteral("图书"), column);
    QCOMPARE(usesIndex, served);
    const QStringList withIndex = numbersOf(indexed.statement);
    QVERIFY2(withIndex.value(0) != QLatin1String("ERROR"), qPrintable(withIndex.join(' ')));
    QCOMPARE(withIndex, byPlainLike(column, text));

    QVERIFY(ContainsIndex::drop(t.db(), t.dialect(), &error));
    const BookSearch::Search plain = contains(column, text);
    QVERIFY(!plain.statement.sql().contains(QStringLiteral(" match ")));
    QCOMPARE(numbersOf(plain.statement), withIndex);
    QCOMPARE(specialsOnly(withIndex), specials);
}

void BookSearchTest::indexFollowsChangesAndIsBuiltByUpgrade()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QString error;
    // A library of an earlier version has no index; it is searched all the same.
    QVERIFY(ContainsIndex::drop(t.db(), t.dialect(), &error));
    QVERIFY(Statement(QStringLiteral("drop index ix_图书_数量价格")).run(&error));
    QVERIFY(insertBook("U1", "升级前的图书"));
    QVERIFY(!ContainsIndex::isBuilt(t.db(), QStringLiteral("图书")));
    QCOMPARE(found("名称", "升级前"), QStringList{"U1"});
    QStringList notes;
    QVERIFY2(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error), qPrintable(error));
    QVERIFY2(notes.isEmpty(), qPrintable(notes.join('\n')));
    // The summary's index is made again: the summary reads it instead of the table.
    const QString summaryIndex = t.dialect() == SqlDialect::Server
                                     ? QStringLiteral("select count(*) from pg_indexes where "
                                                      "indexname='ix_图书_数量价格'")
                                     : QStringLiteral("select count(*) from sqlite_master where "
                                                      "name='ix_图书_数量价格'");
    QCOMPARE(scalar(summaryIndex).toInt(), 1);
    if (t.dialect() == SqlDialect::Embedded) {
        QSqlQuery plan = Statement(QStringLiteral("explain query plan select count(*), sum(数量), "
                                                  "sum(数量*价格) from 图书"))
                             .exec();
        QVERIFY(plan.next());
        QVERIFY2(
            plan.value(3).toString().contains(QStringLiteral("COVERING INDEX ix_图书_数量价格")),
            qPrintable(plan.value(3).toString()));
        QVERIFY(ContainsIndex::isBuilt(t.db(), QStringLiteral("图书")));
        QVERIFY(contains("名称", "升级前").statement.sql().contains(" match "));
    } else {
        const QVariant n = scalar(QStringLiteral("select count(*) from pg_indexes where "
                                                 "indexname like 'ix\\_图书\\_%trgm'"));
        QCOMPARE(n.toInt(), 4);
    }
    QCOMPARE(found("名称", "升级前"), QStringList{"U1"});

    // Changes of the indexed columns are followed; a loan's counters leave the index alone.
    QVERIFY(Statement(QStringLiteral("update 图书 set 名称='改过的书名', 作者='新作者' "
                                     "where 编号='U1'"))
                .run());
    QCOMPARE(found("名称", "升级前"), QStringList{});
    QCOMPARE(found("名称", "过的书"), QStringList{"U1"});
    QCOMPARE(found("作者", "新作者"), QStringList{"U1"});
    QVERIFY(
        Statement(QStringLiteral("update 图书 set 数量=数量-1, 借出次数=1 where 编号='U1'")).run());
    QCOMPARE(found("名称", "过的书"), QStringList{"U1"});
    QVERIFY(Statement(QStringLiteral("delete from 图书 where 编号='U1'")).run());
    QCOMPARE(found("名称", "过的书"), QStringList{});
}

void BookSearchTest::exactContainsAndDates()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertSpecialBooks());
    QVERIFY(insertBook("D1", "数学分析", "", "2024-02-29 23:59:59"));
    QVERIFY(insertBook("D2", "数学", "", "2024-03-01"));
    QVERIFY(insertBook("D3", "线性代数", "", "2024-03-15 23:59:59"));
    QVERIFY(insertBook("D4", "数学物理", "", "2024-03-16 00:00:01"));

    BookSearch::Conditions c;
    c.choice = QStringLiteral("名称");
    c.value = QStringLiteral(" 数学 ");
    BookSearch::Search s = BookSearch::build(c);
    QVERIFY(s.ok);
    QCOMPARE(s.value, QStringLiteral("数学"));
    QVERIFY(s.statement.sql().endsWith(QStringLiteral(" order by 1,2")));
    QCOMPARE(numbersOf(s.statement), QStringList({"D1", "D2", "D4", "S3", "S4"}));
    c.match = Match::Exact;
    QCOMPARE(numbersOf(BookSearch::build(c).statement), QStringList({"D2", "S4"}));
    // A number column is compared as text; the chooser in another case is the column.
    c.choice = QStringLiteral("ZCH");
    c.value = QStringLiteral("3");
    QCOMPARE(numbersOf(BookSearch::build(c).statement).size(), 10);

    // The intake dates: from the first of the month to tomorrow at midnight.
    const QDate today(2024, 3, 15);
    c.choice = QStringLiteral("名称");
    c.match = Match::Contains;
    c.value = QStringLiteral("数学");
    c.dateRange = true;
    c.from = ColumnSearch::defaultFrom(today);
    c.to = ColumnSearch::defaultTo(today);
    QCOMPARE(c.from, QDate(2024, 3, 1));
    QCOMPARE(c.to, QDate(2024, 3, 16));
    QCOMPARE(numbersOf(BookSearch::build(c).statement), QStringList{"D2"});
    c.value.clear();
    s = BookSearch::build(c);
    QVERIFY(s.ok);
    QVERIFY(!s.statement.sql().contains(QStringLiteral("order by")));
    QStringList inRange = numbersOf(s.statement);
    inRange.sort();
    QCOMPARE(inRange, QStringList({"D2", "D3"}));
    // An empty chooser searches 编号.
    c.dateRange = false;
    c.choice = QStringLiteral("  ");
    c.value = QStringLiteral("d");
    QCOMPARE(numbersOf(BookSearch::build(c).statement), QStringList({"D1", "D2", "D3", "D4"}));
}

void BookSearchTest::refusedConditions_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("dates");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << "名称"
                             << "   " << false << "请填写好查询条件!";
    QTest::newRow("no such column")
        << "书名"
        << "数学" << false << "图书中没有可以查询的“书名”, 请从列表中选择要查询的项目!";
    QTest::newRow("sql in the chooser")
        << "名称 like '%' or 1=1 --"
        << "x" << false
        << "图书中没有可以查询的“名称 like '%' or 1=1 --”, 请从列表中选择要查询的项目!";
}

void BookSearchTest::refusedConditions()
{
    QFETCH(QString, choice);
    QFETCH(QString, value);
    QFETCH(bool, dates);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    BookSearch::Conditions c;
    c.choice = choice;
    c.value = value;
    c.dateRange = dates;
    const BookSearch::Search s = BookSearch::build(c);
    QVERIFY(!s.ok);
    QCOMPARE(s.message, message);
}

void BookSearchTest::combinedSearch_data()
{
    QTest::addColumn<QStringList>("fields"); // col1 op1 val1 col2 op2 val2 sort dir
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QString>("message");
    QTest::newRow("range by number, title desc")
        << QStringList{"编号", ">=", "A001", "编号", "<=", "A100", "名称", "desc"}
        << QStringList{"A100", "A0100", "A050"} << "";
    QTest::newRow("one condition")
        << QStringList{"名称", "=", "乙", "编号", "<=", " ", "编号", "asc"} << QStringList{"A050"}
        << "";
    QTest::newRow("empty first value")
        << QStringList{"编号", ">=", "  ", "编号", "<=", "A100", "编号", "asc"} << QStringList{}
        << "";
    QTest::newRow("typed operator")
        << QStringList{"编号", ">= '' or 1=1 --", "A", "编号", "<=", "", "编号", "asc"}
        << QStringList{} << "请从列表中选择比较的方式 (=, >, >=, <, <=)!";
    QTest::newRow("typed sort")
        << QStringList{"编号", ">=", "A", "编号", "<=", "", "1; drop table 图书", "asc"}
        << QStringList{} << "请从列表中选择查询和排序的项目!";
}

void BookSearchTest::combinedSearch()
{
    QFETCH(QStringList, fields);
    QFETCH(QStringList, numbers);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertBook("A0001", "甲"));
    QVERIFY(insertBook("A050", "乙"));
    QVERIFY(insertBook("A0100", "丙"));
    QVERIFY(insertBook("A100", "丁"));
    QVERIFY(insertBook("A200", "戊"));
    BookSearch::Combined c;
    c.column1 = fields[0];
    c.operator1 = fields[1];
    c.value1 = fields[2];
    c.column2 = fields[3];
    c.operator2 = fields[4];
    c.value2 = fields[5];
    c.sortColumn = fields[6];
    c.descending = fields[7] == QLatin1String("desc");
    const BookSearch::Search s = BookSearch::buildCombined(c);
    QCOMPARE(s.message, message);
    if (numbers.isEmpty() && !s.ok)
        return;
    QVERIFY(s.ok);
    // Text comparison: A0100 lies between A001 and A100. The titles sort by the database's
    // own order of characters; compare as a set where the order is by title.
    QStringList got = numbersOf(s.statement);
    if (c.sortColumn == QStringLiteral("名称")) {
        got.sort();
        numbers.sort();
    }
    QVERIFY2(got == numbers, qPrintable(got.join(' ')));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 图书")).toInt(), 5);
}

void BookSearchTest::openingStatementAndSummary()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QString line = QStringLiteral("before");
    // Sums over an empty table: the line stays.
    QVERIFY(!BookSearch::summary(&line));
    QCOMPARE(line, QStringLiteral("before"));
    QVERIFY(insertBook("B2", "二", "", "2020-01-01", "n", 3, "12.5"));
    QVERIFY(insertBook("B1", "一", "", "2020-01-01", "n", 2, "0.25"));
    QVERIFY(BookSearch::summary(&line));
    QCOMPARE(line, QStringLiteral("总记录数:2 总数量:5 总价格:38.00"));
    QCOMPARE(numbersOf(BookSearch::openingStatement()), QStringList({"B1", "B2"}));
    for (int i = 0; i < BookSearch::kOpeningRows + 5; ++i)
        QVERIFY(Statement(QStringLiteral("insert into 图书 (编号, 名称) values ("))
                    .value(QStringLiteral("X%1").arg(i, 5, 10, QLatin1Char('0')))
                    .text(", 'x')")
                    .run());
    const QStringList opening = numbersOf(BookSearch::openingStatement());
    QCOMPARE(opening.size(), BookSearch::kOpeningRows);
    QCOMPARE(opening.first(), QStringLiteral("B1"));
    QCOMPARE(numbersOf(BookSearch::allStatement()).size(), BookSearch::kOpeningRows + 7);
}

void BookSearchTest::deletionKeepsBooksOutOnLoan()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertBook("L1", "借出中的书"));
    QVERIFY(insertBook("L2", "都还了的书"));
    QVERIFY(insertBook("L3", "O'Brien"));
    for (const char *sql : {"insert into 借出记录 (读者编号, 编号, 类别, 已还) values "
                            "('R1', 'L1', '图书', '否')",
                            "insert into 借出记录 (读者编号, 编号, 类别, 已还) values "
                            "('R1', 'L2', '图书', '是')",
                            // A periodical of the same number out on loan is another item.
                            "insert into 借出记录 (读者编号, 编号, 类别, 已还) values "
                            "('R2', 'L2', '期刊', '否')",
                            "insert into b_tuiJian (编号, 名称) values ('L2', '都还了的书')"})
        QVERIFY(Statement(QString::fromUtf8(sql)).run());

    QCOMPARE(ItemDeletion::question(QStringLiteral("红楼梦")),
             QStringLiteral("您是否要删除\" 红楼梦\""));
    ItemDeletion::Result r = ItemDeletion::remove("图书", "L1", "借出中的书");
    QVERIFY(!r.deleted);
    QCOMPARE(
        r.message,
        QStringLiteral("图书“借出中的书”(编号 L1) 还有 1 册借出没有归还, 不能删除! 请先归还."));
    QCOMPARE(scalar("select count(*) from 图书 where 编号='L1'").toInt(), 1);

    r = ItemDeletion::remove("图书", "L2", "都还了的书");
    QVERIFY2(r.deleted, qPrintable(r.message));
    QCOMPARE(scalar("select count(*) from 图书 where 编号='L2'").toInt(), 0);
    // Only the book's row goes.
    QCOMPARE(scalar("select count(*) from 借出记录").toInt(), 3);
    QCOMPARE(scalar("select count(*) from b_tuiJian").toInt(), 1);
    QVERIFY(ItemDeletion::remove("图书", "L3", "O'Brien").deleted);
    r = ItemDeletion::remove("图书", "L2", "都还了的书");
    QVERIFY(!r.deleted);
    QCOMPARE(r.message, QStringLiteral("没有找到编号为“L2”的图书, 可能已被别的工作站删除."));
    QCOMPARE(scalar("select count(*) from 图书").toInt(), 1);
}

void BookSearchTest::recommendationReasonLimit_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("25 hanzi") << QString(25, QChar(0x4E66)) << true;
    QTest::newRow("26 hanzi") << QString(26, QChar(0x4E66)) << false;
    QTest::newRow("50 letters") << QString(50, QLatin1Char('a')) << true;
    QTest::newRow("51 letters") << QString(51, QLatin1Char('a')) << false;
    QTest::newRow("24 hanzi and 2 letters") << QString(24, QChar(0x4E66)) + "ab" << true;
    QTest::newRow("24 hanzi and 3 letters") << QString(24, QChar(0x4E66)) + "abc" << false;
    QTest::newRow("quotes") << QStringLiteral("O'Brien说\"好\"") << true;
}

void BookSearchTest::recommendationReasonLimit()
{
    QFETCH(QString, reason);
    QFETCH(bool, accepted);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertBook("T1", "红楼梦", "曹雪芹"));
    QSqlQuery q = Statement(QStringLiteral("select * from 图书")).exec();
    QVERIFY(q.next());
    const Recommendations::Result r = Recommendations::recommend(q.record(), "管理员甲", reason);
    QCOMPARE(r.ok, accepted);
    QCOMPARE(r.message, accepted ? QString() : QStringLiteral("不能大于25个汉字或50个字符!"));
    QCOMPARE(scalar("select count(*) from b_tuiJian").toInt(), accepted ? 1 : 0);
    if (accepted) {
        QSqlQuery row = Recommendations::listStatement().exec();
        QVERIFY(row.next());
        QCOMPARE(row.value("编号").toString(), QStringLiteral("T1"));
        QCOMPARE(row.value("名称").toString(), QStringLiteral("红楼梦"));
        QCOMPARE(row.value("作者").toString(), QStringLiteral("曹雪芹"));
        QCOMPARE(row.value("分类").toString(), QStringLiteral("文学"));
        QCOMPARE(row.value("存放位置").toString(), QStringLiteral("一楼"));
        QCOMPARE(row.value("推荐人").toString(), QStringLiteral("管理员甲"));
        QCOMPARE(row.value("memo").toString(), reason);
    }
}

void BookSearchTest::recommendationsListedAndRemoved()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertBook("T1", "一"));
    QVERIFY(insertBook("T2", "二"));
    QSqlQuery q = Statement(QStringLiteral("select * from 图书 order by 1")).exec();
    QVector<QSqlRecord> books;
    while (q.next())
        books << q.record();
    for (const QSqlRecord &book : books) {
        const Recommendations::Result r = Recommendations::recommend(book, "甲", "好书");
        QVERIFY2(r.ok, qPrintable(r.message));
    }
    QCOMPARE(numbersOf(Recommendations::listStatement()).size(), 2);
    const QVariant firstId = scalar("select min(id) from b_tuiJian");
    QVERIFY(Recommendations::removeOne(firstId).ok);
    QCOMPARE(numbersOf(Recommendations::listStatement()), QStringList{"T2"});
    QVERIFY(Recommendations::removeAll().ok);
    QCOMPARE(numbersOf(Recommendations::listStatement()), QStringList{});
    QCOMPARE(scalar("select count(*) from 图书").toInt(), 2);
}

void BookSearchTest::reports()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertBook("B3", "三体", "刘慈欣", "2020-01-01", "9787536692930", 3, "23.5"));
    QVERIFY(insertBook("B1", "红楼梦", "曹雪芹", "2020-01-01", "ABC-12", 2, "10"));
    QVERIFY(insertBook("B2", "围城", "钱钟书", "2020-01-01", "n", 1, "8.25"));
    QVERIFY(Statement(QStringLiteral("update 图书 set 分类号='I247.5', zch=7, 索书号='I247.5/7', "
                                     "译者='无', 出版社='人民文学', 简介='长篇小说' "
                                     "where 编号='B1'"))
                .run());
    const Statement books = BookSearch::openingStatement();
    const QDateTime at(QDate(2024, 3, 15), QTime(9, 30, 5));
    QString error;

    ReportModel list;
    QVERIFY2(BookReports::build(BookReports::Kind::List, books, at, &list, &error),
             qPrintable(error));
    QCOMPARE(list.pageCount(), 1);
    QCOMPARE(list.texts(0, "heading"), QStringList{"2024-03-15       09:30:05"});
    QCOMPARE(list.texts(0, "columnTitle"),
             QStringList({"图书编号", "条形码", "书名", "分类", "存放位置", "数量"}));
    QCOMPARE(list.texts(0, "cell").mid(0, 6),
             QStringList({"B1", "ABC-12", "红楼梦", "文学", "一楼", "2"}));
    QCOMPARE(list.texts(0, "cell").size(), 18);
    const QString footer = list.texts(0, "pageFooter").join(' ');
    QVERIFY2(footer.contains(QStringLiteral(" 数量合计: 6")), qPrintable(footer));
    QVERIFY2(footer.contains(QStringLiteral("  价格合计: 41.75")), qPrintable(footer));

    ReportModel codes;
    QVERIFY(BookReports::build(BookReports::Kind::Barcodes, books, at, &codes, &error));
    QCOMPARE(codes.pageCount(), 3);
    const QStringList values = {"ABC-12", "n", "9787536692930"};
    for (int page = 0; page < 3; ++page) {
        const QVector<const ReportItem *> items = codes.items(page, "barcode");
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0]->barcode.symbology(), Barcode::Symbology::Code128A);
        QCOMPARE(items[0]->barcode.text(), values[page]);
        QVERIFY(items[0]->barcode.hasBars() == (values[page] != "n"));
    }
    // Set A has no lower-case letters: "n" is printed as text only.
    QCOMPARE(
        Barcode::code128AValues("ABC-12"),
        QVector<int>({103, 33, 34, 35, 13, 17, 18,
                      (103 + 33 * 1 + 34 * 2 + 35 * 3 + 13 * 4 + 17 * 5 + 18 * 6) % 103, 106}));

    ReportModel labels;
    QVERIFY(BookReports::build(BookReports::Kind::SpineLabels, books, at, &labels, &error));
    QCOMPARE(labels.pageCount(), 3);
    QCOMPARE(labels.texts(0, "line"), QStringList({"B1", "I247.5", "7", "ABC-12"}));
    ReportRows one;
    QSqlQuery q = Statement(QStringLiteral("select * from 图书 where 编号='B1'")).exec();
    QVERIFY(q.next());
    one.append(q.record());
    QCOMPARE(BookReports::spineLabels(one, true).texts(0, "line"),
             QStringList({"I247.5", "B1", "ABC-12", "7"}));

    ReportModel cards;
    QVERIFY(BookReports::build(BookReports::Kind::CatalogueCards, books, at, &cards, &error));
    QCOMPARE(cards.pageCount(), 3);
    QCOMPARE(cards.texts(0, "编号"), QStringList{"编号: B1"});
    QCOMPARE(cards.texts(0, "分类号"), QStringList{"分类号: I247.5"});
    QCOMPARE(cards.texts(0, "索书号"), QStringList{"索书号:I247.5/7"});
    QCOMPARE(cards.texts(0, "简介"), QStringList{"简介: 长篇小说"});
    QCOMPARE(cards.items(0, "frame").size(), 1);
    const ReportModel single = BookReports::catalogueCards(one, true);
    QCOMPARE(single.texts(0, "编号"), QStringList{"编号: "});
    QCOMPARE(single.texts(0, "分类号"), QStringList{"分类号: "});
    QCOMPARE(single.texts(0, "价格"), QStringList{"价格: "});
    QCOMPARE(single.texts(0, "名称"), QStringList{"名称: 红楼梦"});

    ReportModel classes;
    QVERIFY(BookReports::build(BookReports::Kind::ClassLabels, books, at, &classes, &error));
    QCOMPARE(classes.pageCount(), 3);
    QCOMPARE(classes.texts(0, "line"), QStringList{"I247.5"});
    QCOMPARE(classes.texts(1, "line"), QStringList{"I247"});
}

QTEST_MAIN(BookSearchTest)
#include "book_search_dbtest.moc"
