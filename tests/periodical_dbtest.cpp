// Periodicals in the database, on both backends: the copy of an earlier issue by barcode, the
// required fields and the save with its intake date, editing by key, the exact and contains
// searches, deletion kept back by a loan, and the list report's totals.
#include "TestDb.h"

#include "catalogue/ItemDeletion.h"
#include "catalogue/PeriodicalEdit.h"
#include "catalogue/PeriodicalIntake.h"
#include "catalogue/PeriodicalSearch.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

bool insertIssue(const QString &number, const QString &name, const QString &barcode, int count = 1,
                 const QString &price = QStringLiteral("10"))
{
    Statement st(QStringLiteral("insert into 期刊 (编号, 名称, 条形码, 数量, 价格, 物品级别, "
                                "出版社, 存放位置, 分类, 二级分类, ISSN, 国内统一刊号, 邮发代号, "
                                "第几期, 总第几期, py, 简介, 状态, 入库时间) values ("));
    st.value(number).text(",").value(name).text(",").value(barcode).text(",").value(count);
    st.text(",").value(price);
    st.text(QStringLiteral(", ' 普通 ', '人民出版社', '二楼', '综合', '文摘', '1000-0001', "
                           "'CN11-0001', '2-100', '3', '301', 'DZ', '月刊', '不外借', "
                           "'2024-01-05')"));
    QString error;
    if (!st.run(&error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

QStringList numbersOf(const Statement &st)
{
    QStringList out;
    QSqlQuery q = st.exec();
    while (q.next())
        out << q.value(QStringLiteral("编号")).toString();
    out.sort();
    return out;
}

QSqlRecord issue(const QString &number)
{
    Statement st(QStringLiteral("select * from 期刊 where 编号="));
    st.value(number);
    QSqlQuery q = st.exec();
    return q.next() ? q.record() : QSqlRecord();
}

PeriodicalIntake::Form filledForm(const QString &number)
{
    PeriodicalIntake::Form form;
    form.texts = PeriodicalIntake::initialTexts();
    form.texts.insert(QStringLiteral("编号"), number);
    form.texts.insert(QStringLiteral("名称"), QStringLiteral(" 读者 "));
    form.texts.insert(QStringLiteral("条形码"), QStringLiteral("977100"));
    form.texts.insert(QStringLiteral("价格"), QStringLiteral("８.5"));
    form.texts.insert(QStringLiteral("py"), QStringLiteral("DZ"));
    form.published = QDate(2024, 2, 1);
    return form;
}

} // namespace

class PeriodicalTest : public QObject {
    Q_OBJECT
private slots:
    void copiesOnlyTheListedColumnsOfAnEarlierIssue();
    void requiredFields_data();
    void requiredFields();
    void savesAtMidnightOfTheDay();
    void editWritesBackWhileTheRowIsAsRead();
    void exactAndContainsSearch_data();
    void exactAndContainsSearch();
    void deletionKeptBackByALoan();
    void listReportTotals();
};

void PeriodicalTest::copiesOnlyTheListedColumnsOfAnEarlierIssue()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertIssue("Q1", "读者", "977100", 4, "8.5"));
    QVERIFY(Statement(QStringLiteral("update 期刊 set 出版社=NULL where 编号='Q1'")).run());

    const PeriodicalIntake::EarlierIssue none = PeriodicalIntake::earlierIssue("977999");
    QVERIFY(!none.found);
    QVERIFY(none.texts.isEmpty() && none.error.isEmpty());

    const PeriodicalIntake::EarlierIssue e = PeriodicalIntake::earlierIssue(" 977100 ");
    QVERIFY(e.found);
    QVERIFY(e.error.isEmpty());
    const QMap<QString, QString> expected = {{"名称", "读者"},
                                             {"物品级别", "普通"},
                                             {"存放位置", "二楼"},
                                             {"分类", "综合"},
                                             {"二级分类", "文摘"},
                                             {"ISSN", "1000-0001"},
                                             {"国内统一刊号", "CN11-0001"},
                                             {"邮发代号", "2-100"},
                                             {"第几期", "3"},
                                             {"总第几期", "301"},
                                             {"价格", "8.5"},
                                             {"py", "DZ"},
                                             {"简介", "月刊"}};
    // 出版社 is NULL and stays as typed; 编号, 数量, 状态 and 出版时间 are never copied.
    QCOMPARE(e.texts, expected);
}

void PeriodicalTest::requiredFields_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("filled");
    QTest::newRow("all there") << "简介"
                               << "" << true;
    for (const char *c : {"编号", "名称", "条形码", "数量", "价格", "物品级别"})
        QTest::newRow(c) << QString::fromUtf8(c) << "" << false;
    // The test is on the untrimmed text: a blank passes it.
    QTest::newRow("blank 名称") << "名称"
                                << " " << true;
}

void PeriodicalTest::requiredFields()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(bool, filled);
    PeriodicalIntake::Form form = filledForm("Q1");
    form.texts.insert(column, text);
    QCOMPARE(PeriodicalIntake::requiredFilled(form), filled);
}

void PeriodicalTest::savesAtMidnightOfTheDay()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("管理员甲");
    const PeriodicalIntake::Result r =
        PeriodicalIntake::add(filledForm(" Q7 "), QDate(2024, 3, 15));
    QVERIFY2(r.ok, qPrintable(r.message));
    const QSqlRecord row = issue("Q7");
    QVERIFY(!row.isEmpty());
    QCOMPARE(row.value("名称").toString(), QStringLiteral("读者"));
    QCOMPARE(row.value("数量").toInt(), 1);
    QCOMPARE(row.value("借出次数").toInt(), 0);
    QCOMPARE(row.value("登记人").toString(), QStringLiteral("管理员甲"));
    QCOMPARE(row.value("出版时间").toString(), QStringLiteral("2024-02-01"));
    QCOMPARE(row.value("状态").toString(), QStringLiteral("正常"));
    QCOMPARE(dateTimeFromSql(row.value("入库时间")), QDateTime(QDate(2024, 3, 15), QTime(0, 0)));
    QCOMPARE(scalar("select count(*) from 期刊 where 入库时间='2024-03-15'").toInt(), 1);
    QVERIFY(row.value("币种").isNull() && row.value("来源").isNull());

    // A number taken already is named; nothing else is written.
    const PeriodicalIntake::Result again = PeriodicalIntake::add(filledForm("Q7"), QDate());
    QVERIFY(!again.ok);
    QVERIFY2(again.message.contains("Q7"), qPrintable(again.message));
    QCOMPARE(scalar("select count(*) from 期刊").toInt(), 1);
}

void PeriodicalTest::editWritesBackWhileTheRowIsAsRead()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertIssue("Q1", "读者", "977100", 4, "8.5"));
    QVERIFY(insertIssue("Q2", "故事会", "977200"));
    const QSqlRecord read = issue("Q1");
    PeriodicalEdit::Form form;
    for (const QString &c : PeriodicalEdit::textColumns())
        form.texts.insert(c, read.value(c).toString());

    // Another workstation lends a copy meanwhile: 数量 and 借出次数 are not overwritten.
    QVERIFY(Statement(QStringLiteral("update 期刊 set 数量=数量-1 where 编号='Q1'")).run());
    form.texts.insert("名称", QStringLiteral("中国国家地理"));
    form.texts.insert("第几期", QStringLiteral(" 4 "));
    PeriodicalEdit::Result r = PeriodicalEdit::update(read, form);
    QVERIFY2(r.ok && r.written, qPrintable(r.message));
    QSqlRecord row = issue("Q1");
    QCOMPARE(row.value("名称").toString(), QStringLiteral("中国国家地理"));
    QCOMPARE(row.value("py").toString(), QStringLiteral("ZGGJDL"));
    QCOMPARE(row.value("第几期").toString(), QStringLiteral("4"));
    QCOMPARE(row.value("数量").toInt(), 3);
    QCOMPARE(dateTimeFromSql(row.value("入库时间")).date(), QDate(2024, 1, 5));

    // A column changed elsewhere since it was read is not overwritten.
    form.texts.insert("数量", QStringLiteral("9"));
    r = PeriodicalEdit::update(read, form);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("已在别处被修改")), qPrintable(r.message));
    QCOMPARE(issue("Q1").value("数量").toInt(), 3);

    // Another issue's number is refused.
    const QSqlRecord fresh = issue("Q1");
    form.texts.insert("数量", QStringLiteral("3"));
    form.texts.insert("编号", QStringLiteral("Q2"));
    r = PeriodicalEdit::update(fresh, form);
    QVERIFY(!r.ok);
    QCOMPARE(r.column, QStringLiteral("编号"));
    QCOMPARE(scalar("select count(*) from 期刊").toInt(), 2);
}

void PeriodicalTest::exactAndContainsSearch_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("contains name") << "名称"
                                   << "读者" << false << QStringList{"Q1", "Q2", "Q4"};
    QTest::newRow("exact name") << "名称"
                                << "读者" << true << QStringList{"Q1"};
    QTest::newRow("trailing blank kept") << "名称"
                                         << "读者 " << true << QStringList{"Q4"};
    QTest::newRow("quote literal") << "名称"
                                   << "O'Brien" << false << QStringList{"Q3"};
    QTest::newRow("percent literal") << "条形码"
                                     << "%" << false << QStringList{};
    QTest::newRow("location") << "存放位置"
                              << "二楼" << true << QStringList{"Q1", "Q2", "Q3", "Q4"};
}

void PeriodicalTest::exactAndContainsSearch()
{
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(bool, exact);
    QFETCH(QStringList, found);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertIssue("Q1", "读者", "9771"));
    QVERIFY(insertIssue("Q2", "青年读者", "9772"));
    QVERIFY(insertIssue("Q3", "O'Brien", "9773"));
    QVERIFY(insertIssue("Q4", "读者 ", "9774"));
    PeriodicalSearch::Conditions c;
    c.choice = column;
    c.value = value;
    c.match = exact ? PeriodicalSearch::Match::Exact : PeriodicalSearch::Match::Contains;
    const PeriodicalSearch::Search s = PeriodicalSearch::build(c);
    QVERIFY2(s.ok, qPrintable(s.message));
    QVERIFY(!s.statement.sql().contains("order by"));
    QCOMPARE(numbersOf(s.statement), found);
}

void PeriodicalTest::deletionKeptBackByALoan()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertIssue("Q1", "读者", "9771"));
    QVERIFY(insertIssue("Q2", "故事会", "9772"));
    for (const char *sql : {"insert into 借出记录 (读者编号, 编号, 类别, 已还) values "
                            "('R1', 'Q1', '期刊', '否')",
                            // A book of the same number out on loan is another item.
                            "insert into 借出记录 (读者编号, 编号, 类别, 已还) values "
                            "('R1', 'Q2', '图书', '否')"})
        QVERIFY(Statement(QString::fromUtf8(sql)).run());
    ItemDeletion::Result r = ItemDeletion::remove("期刊", "Q1", "读者");
    QVERIFY(!r.deleted);
    QCOMPARE(r.message,
             QStringLiteral("期刊“读者”(编号 Q1) 还有 1 册借出没有归还, 不能删除! 请先归还."));
    r = ItemDeletion::remove("期刊", "Q2", "故事会");
    QVERIFY2(r.deleted, qPrintable(r.message));
    QCOMPARE(numbersOf(PeriodicalSearch::allStatement()), QStringList{"Q1"});
    QVERIFY(!ItemDeletion::remove("读者库", "Q1", "x").deleted);
    QCOMPARE(scalar("select count(*) from 借出记录").toInt(), 2);
}

void PeriodicalTest::listReportTotals()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertIssue("Q2", "故事会", "ABC-2", 3, "2.5"));
    QVERIFY(insertIssue("Q1", "读者", "ABC-1", 2, "10"));
    ReportModel list;
    QString error;
    const QDateTime at(QDate(2024, 3, 15), QTime(9, 30, 5));
    QVERIFY2(PeriodicalSearch::build(PeriodicalSearch::Report::List,
                                     PeriodicalSearch::allStatement(), at, &list, &error),
             qPrintable(error));
    QCOMPARE(list.pageCount(), 1);
    QCOMPARE(list.texts(0, "heading"), QStringList{"2024-03-15       09:30:05"});
    QCOMPARE(list.texts(0, "columnTitle"),
             QStringList({"编号", "条形码", "名称", "分类", "存放位置", "数量"}));
    QCOMPARE(list.texts(0, "cell").size(), 12);
    const QString footer = list.texts(0, "pageFooter").join(' ');
    QVERIFY2(footer.contains(QStringLiteral("总数量: 5")), qPrintable(footer));
    QVERIFY2(footer.contains(QStringLiteral("  总价格:12.50")), qPrintable(footer));

    ReportModel labels;
    QVERIFY(PeriodicalSearch::build(PeriodicalSearch::Report::Labels,
                                    PeriodicalSearch::allStatement(), at, &labels, &error));
    QCOMPARE(labels.pageCount(), 2);
    QStringList first = labels.texts(0, "line") + labels.texts(1, "line");
    QVERIFY2(first.contains("综合") && first.contains("ABC-1"), qPrintable(first.join(',')));
}

QTEST_MAIN(PeriodicalTest)
#include "periodical_dbtest.moc"
