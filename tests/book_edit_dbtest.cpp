// Editing a book as read and changing its stock count with the log entry.
#include "TestDb.h"

#include "catalogue/BookEdit.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QDateTime>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

void run(const QString &sql)
{
    QString error;
    QVERIFY2(Statement(sql).run(&error), qPrintable(error + QStringLiteral("\n") + sql));
}

// A book as intake writes it; the columns not named stay NULL.
void addBook(const QString &number, const QString &barcode, int quantity)
{
    Statement st(QStringLiteral(
        "insert into 图书(编号,条形码,名称,数量,价格,页数,zch,分类号,索书号,物品级别,来源,"
        "捐赠人,图片地址,绝对地址,入库时间,py,状态) values("));
    st.value(number).text(",").value(barcode).text(",").value(QStringLiteral("红楼梦"));
    st.text(",").value(quantity).text(",").value(QStringLiteral("12.5")).text(",").value(300);
    st.text(",").value(4).text(",").value(QStringLiteral("I242")).text(",");
    st.value(QStringLiteral("I242/4")).text(",").value(QStringLiteral("普通")).text(",");
    st.value(QStringLiteral("捐赠")).text(",").value(QStringLiteral("张三")).text(",");
    st.value(QStringLiteral("/书/红楼梦.pdf")).text(",").value(QStringLiteral("/书/红楼梦.pdf"));
    st.text(",").value(sqlDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 30, 15))));
    st.text(",").value(QStringLiteral("HLM")).text(",").value(QStringLiteral("正常"));
    st.text(")");
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

QSqlRecord book(const QString &number)
{
    Statement st(QStringLiteral("select * from 图书 where 编号="));
    st.value(number);
    QSqlQuery q = st.exec();
    return q.next() ? q.record() : QSqlRecord();
}

// The form as the window shows the record: every text column as its text.
BookEdit::BookForm formOf(const QSqlRecord &r)
{
    BookEdit::BookForm f;
    for (const QString &column : BookEdit::textColumns())
        f.texts.insert(column, r.value(column).isNull() ? QString() : r.value(column).toString());
    f.texts.insert(QStringLiteral("价格"), Money::fromVariant(r.value("价格")).toString());
    f.intake = dateFromSql(r.value(QStringLiteral("入库时间")));
    return f;
}

int rowsIn(const QString &table)
{
    return scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

} // namespace

class BookEditDbTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void updateWritesTheChanges();
    void unchangedWritesNothing();
    void publicationTimeIsFreeText();
    void badNumbersRefused_data();
    void badNumbersRefused();
    void withoutPermission_data();
    void withoutPermission();
    void changedElsewhereNotOverwritten();
    void otherColumnsChangedElsewhereKept();
    void deletedElsewhere();
    void renumberToTakenNumber();
    void stockChangeWithLogEntry_data();
    void stockChangeWithLogEntry();
    void stockInputRefused_data();
    void stockInputRefused();
    void stockLogFailureKeepsCount();
    void stockChangedElsewhere();

private:
    TestDb m_db;
};

void BookEditDbTest::init()
{
    TSGL_FRESH_DB(m_db);
    loginContext().adminName = QStringLiteral("管理员甲");
    loginContext().qxbkxg = true;
    loginContext().qxModifyStock = true;
    addBook(QStringLiteral("B1"), QStringLiteral("9787500512345"), 5);
}

// The typed values go to the row: trimmed, the empty level as "普通", the donor dropped with
// a bought book, py after the new title, the document path but not the picture path, the
// intake date with its time of day, full-width digits in the price.
void BookEditDbTest::updateWritesTheChanges()
{
    const QSqlRecord asRead = book("B1");
    BookEdit::BookForm f = formOf(asRead);
    f.texts["名称"] = QStringLiteral(" 西游记 ");
    f.texts["物品级别"] = QStringLiteral("  ");
    f.texts["来源"] = QStringLiteral("购买");
    f.texts["绝对地址"] = QStringLiteral("/新/西游记.pdf");
    f.texts["价格"] = QStringLiteral("３０.５");
    f.texts["页数"] = QStringLiteral("420");
    f.texts["zch"] = QStringLiteral("9");
    f.texts["索书号"] = QStringLiteral("I242/9");
    f.intake = QDate(2024, 4, 1);
    const BookEdit::Result r = BookEdit::update(asRead, f);
    QVERIFY2(r.ok, qPrintable(r.message));
    QVERIFY(r.written);

    const QSqlRecord row = book("B1");
    QCOMPARE(row.value("名称").toString(), QStringLiteral("西游记"));
    QCOMPARE(row.value("py").toString(), QStringLiteral("XYJ"));
    QCOMPARE(row.value("物品级别").toString(), QStringLiteral("普通"));
    QCOMPARE(row.value("来源").toString(), QStringLiteral("购买"));
    QCOMPARE(row.value("捐赠人").toString(), QString());
    QCOMPARE(row.value("绝对地址").toString(), QStringLiteral("/新/西游记.pdf"));
    QCOMPARE(row.value("图片地址").toString(), QStringLiteral("/书/红楼梦.pdf"));
    QCOMPARE(Money::fromVariant(row.value("价格")), *Money::parse(QStringLiteral("30.5")));
    QCOMPARE(row.value("页数").toInt(), 420);
    QCOMPARE(row.value("zch").toInt(), 9);
    QCOMPARE(row.value("索书号").toString(), QStringLiteral("I242/9"));
    QCOMPARE(dateTimeFromSql(row.value("入库时间")),
             QDateTime(QDate(2024, 4, 1), QTime(9, 30, 15)));
    QCOMPARE(row.value("数量").toInt(), 5);
}

// Opening and saving without a change writes nothing, also over columns that are NULL.
void BookEditDbTest::unchangedWritesNothing()
{
    run(QStringLiteral("insert into 图书(编号,名称) values('B2','三国演义')"));
    for (const QString &number : {QStringLiteral("B1"), QStringLiteral("B2")}) {
        const QSqlRecord asRead = book(number);
        BookEdit::BookForm f = formOf(asRead);
        if (asRead.value("价格").isNull())
            f.texts["价格"].clear();
        if (number == QStringLiteral("B2"))
            f.texts["物品级别"] = QStringLiteral("普通"); // as the window would show nothing else
        const BookEdit::Result r = BookEdit::update(asRead, f);
        QVERIFY2(r.ok, qPrintable(r.message));
        if (number == QStringLiteral("B1"))
            QVERIFY(!r.written);
    }
    const QSqlRecord b2 = book("B2");
    QVERIFY(b2.value("价格").isNull());
    QVERIFY(b2.value("页数").isNull());
    QVERIFY(b2.value("zch").isNull());
}

// 出版时间 is kept as typed ("2019年5月", "1998"), once the column holds text.
void BookEditDbTest::publicationTimeIsFreeText()
{
    QSqlQuery probe = Statement(QStringLiteral("select 出版时间 from 图书")).exec();
    const QMetaType::Type type = QMetaType::Type(probe.record().field(0).metaType().id());
    if (type == QMetaType::QDateTime || type == QMetaType::QDate)
        QSKIP("出版时间 is still a date-time column in this schema");
    for (const QString &typed : {QStringLiteral("2019年5月"), QStringLiteral("1998")}) {
        const QSqlRecord asRead = book("B1");
        BookEdit::BookForm f = formOf(asRead);
        f.texts["出版时间"] = typed;
        const BookEdit::Result r = BookEdit::update(asRead, f);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(book("B1").value("出版时间").toString(), typed);
    }
}

void BookEditDbTest::badNumbersRefused_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("pages with a letter") << "页数"
                                         << "12a"
                                         << "页数必须是整数!";
    QTest::newRow("pages with a point") << "页数"
                                        << "12.5"
                                        << "页数必须是整数!";
    QTest::newRow("zch with a point") << "zch"
                                      << "1.5"
                                      << "种次号必须是整数!";
    QTest::newRow("price with two points") << "价格"
                                           << "1.2.3"
                                           << "价格必须是数字!";
    QTest::newRow("empty number") << "编号"
                                  << "  "
                                  << "图书编号不能为空!";
}

void BookEditDbTest::badNumbersRefused()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QSqlRecord asRead = book("B1");
    BookEdit::BookForm f = formOf(asRead);
    f.texts["名称"] = QStringLiteral("西游记");
    f.texts[column] = text;
    const BookEdit::Result r = BookEdit::update(asRead, f);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message);
    QCOMPARE(r.column, column);
    QCOMPARE(book("B1").value("名称").toString(), QStringLiteral("红楼梦"));
}

void BookEditDbTest::withoutPermission_data()
{
    QTest::addColumn<bool>("stock");
    QTest::newRow("edit without qxbkxg") << false;
    QTest::newRow("stock without qxModifyStock") << true;
}

void BookEditDbTest::withoutPermission()
{
    QFETCH(bool, stock);
    const QSqlRecord asRead = book("B1");
    BookEdit::Result r;
    if (stock) {
        loginContext().qxModifyStock = false;
        r = BookEdit::changeStock(asRead, QStringLiteral("3"));
    } else {
        loginContext().qxbkxg = false;
        BookEdit::BookForm f = formOf(asRead);
        f.texts["名称"] = QStringLiteral("西游记");
        r = BookEdit::update(asRead, f);
    }
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("没有权限!"));
    const QSqlRecord row = book("B1");
    QCOMPARE(row.value("名称").toString(), QStringLiteral("红楼梦"));
    QCOMPARE(row.value("数量").toInt(), 5);
    QCOMPARE(rowsIn(QStringLiteral("管理员日志")), 0);
}

// Another workstation changed the title since the list was read: its title stays.
void BookEditDbTest::changedElsewhereNotOverwritten()
{
    const QSqlRecord asRead = book("B1");
    run(QStringLiteral("update 图书 set 名称='水浒传' where 编号='B1'"));
    BookEdit::BookForm f = formOf(asRead);
    f.texts["名称"] = QStringLiteral("西游记");
    const BookEdit::Result r = BookEdit::update(asRead, f);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("已在别处被修改")), qPrintable(r.message));
    QCOMPARE(book("B1").value("名称").toString(), QStringLiteral("水浒传"));
}

// A loan at another workstation (数量, 借出次数) does not block an edit, and the edit keeps it.
void BookEditDbTest::otherColumnsChangedElsewhereKept()
{
    const QSqlRecord asRead = book("B1");
    run(QStringLiteral("update 图书 set 数量=数量-1, 借出次数=1 where 编号='B1'"));
    BookEdit::BookForm f = formOf(asRead);
    f.texts["作者"] = QStringLiteral("吴承恩");
    f.texts["价格"] = QStringLiteral("15");
    const BookEdit::Result r = BookEdit::update(asRead, f);
    QVERIFY2(r.ok, qPrintable(r.message));
    const QSqlRecord row = book("B1");
    QCOMPARE(row.value("作者").toString(), QStringLiteral("吴承恩"));
    QCOMPARE(Money::fromVariant(row.value("价格")), Money::fromYuan(15));
    QCOMPARE(row.value("数量").toInt(), 4);
    QCOMPARE(row.value("借出次数").toInt(), 1);
}

void BookEditDbTest::deletedElsewhere()
{
    const QSqlRecord asRead = book("B1");
    run(QStringLiteral("delete from 图书 where 编号='B1'"));
    BookEdit::BookForm f = formOf(asRead);
    f.texts["名称"] = QStringLiteral("西游记");
    const BookEdit::Result r = BookEdit::update(asRead, f);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("已在别处被删除")), qPrintable(r.message));
    QCOMPARE(rowsIn(QStringLiteral("图书")), 0);
}

void BookEditDbTest::renumberToTakenNumber()
{
    addBook(QStringLiteral("B2"), QStringLiteral("n"), 1);
    const QSqlRecord asRead = book("B1");
    BookEdit::BookForm f = formOf(asRead);
    f.texts["编号"] = QStringLiteral("B2");
    f.texts["名称"] = QStringLiteral("西游记");
    const BookEdit::Result r = BookEdit::update(asRead, f);
    QVERIFY(!r.ok);
    QCOMPARE(r.column, QStringLiteral("编号"));
    QVERIFY2(r.message.contains(QStringLiteral("已经存在")), qPrintable(r.message));
    QCOMPARE(book("B1").value("名称").toString(), QStringLiteral("红楼梦"));

    f.texts["编号"] = QStringLiteral("B9");
    const BookEdit::Result moved = BookEdit::update(asRead, f);
    QVERIFY2(moved.ok, qPrintable(moved.message));
    QVERIFY(book("B1").isEmpty());
    QCOMPARE(book("B9").value("名称").toString(), QStringLiteral("西游记"));
}

void BookEditDbTest::stockChangeWithLogEntry_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("5 to 3") << "3" << 3;
    QTest::newRow("full-width digits, blanks") << " １２ " << 12;
    QTest::newRow("to nothing on the shelf") << "0" << 0;
}

// The count and one log entry naming the barcode, not the old or new count.
void BookEditDbTest::stockChangeWithLogEntry()
{
    QFETCH(QString, typed);
    QFETCH(int, stored);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    int quantity = -1;
    const BookEdit::Result r = BookEdit::changeStock(book("B1"), typed, &quantity);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(quantity, stored);
    QCOMPARE(book("B1").value("数量").toInt(), stored);

    QSqlQuery q =
        Statement(QStringLiteral("select 事件, 日期, 管理员, 说明 from 管理员日志")).exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("修改库存"));
    const QDateTime at = dateTimeFromSql(q.value(1));
    QVERIFY2(at >= before && at <= QDateTime::currentDateTime(), qPrintable(at.toString()));
    QCOMPARE(at.time().msec(), 0);
    QCOMPARE(q.value(2).toString(), QStringLiteral("管理员甲"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("条形码:9787500512345"));
    QVERIFY(!q.next());
}

void BookEditDbTest::stockInputRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << ""
                           << "填写数量!";
    QTest::newRow("blanks") << "   "
                            << "填写数量!";
    QTest::newRow("fraction") << "2.5"
                              << "数量必须是整数!";
    QTest::newRow("letters") << "三本"
                             << "数量必须是整数!";
    QTest::newRow("negative") << "-1"
                              << "数量不能小于0!";
}

void BookEditDbTest::stockInputRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    const BookEdit::Result r = BookEdit::changeStock(book("B1"), typed);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message);
    QCOMPARE(book("B1").value("数量").toInt(), 5);
    QCOMPARE(rowsIn(QStringLiteral("管理员日志")), 0);
}

// The log entry cannot be written: the count stays as it was.
void BookEditDbTest::stockLogFailureKeepsCount()
{
    run(QStringLiteral("drop table 管理员日志"));
    const BookEdit::Result r = BookEdit::changeStock(book("B1"), QStringLiteral("3"));
    QVERIFY(!r.ok);
    QVERIFY2(r.message.startsWith(QStringLiteral("管理员日志写入失败")), qPrintable(r.message));
    QCOMPARE(book("B1").value("数量").toInt(), 5);
}

// A copy lent at another workstation since the list was read: the count is not overwritten.
void BookEditDbTest::stockChangedElsewhere()
{
    const QSqlRecord asRead = book("B1");
    run(QStringLiteral("update 图书 set 数量=数量-1 where 编号='B1'"));
    const BookEdit::Result r = BookEdit::changeStock(asRead, QStringLiteral("8"));
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("库存已在别处改变")), qPrintable(r.message));
    QCOMPARE(book("B1").value("数量").toInt(), 4);
    QCOMPARE(rowsIn(QStringLiteral("管理员日志")), 0);

    run(QStringLiteral("delete from 图书 where 编号='B1'"));
    const BookEdit::Result gone = BookEdit::changeStock(asRead, QStringLiteral("8"));
    QVERIFY(!gone.ok);
    QVERIFY2(gone.message.contains(QStringLiteral("已在别处被删除")), qPrintable(gone.message));
}

QTEST_GUILESS_MAIN(BookEditDbTest)
#include "book_edit_dbtest.moc"
