// Registering a reader with the opening fee, and writing the changes of an edited reader.
#include "TestDb.h"

#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "readers/ReaderRegistration.h"

#include <QBuffer>
#include <QImage>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <ctime>

using ReaderRegistration::ReaderForm;
using ReaderRegistration::Result;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

QByteArray pngBytes(const QColor &colour)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ReaderForm newReader(const QString &number, const QString &name = QStringLiteral("张三"))
{
    ReaderForm f;
    f.texts = {{"读者编号", number},
               {"读者姓名", name},
               {"性别", "女"},
               {"类别", "普通"},
               {"单位部门", " 一车间 "},
               {"住址", "北京路1号"},
               {"联系电话", "0771-123"},
               {"班级", ""},
               {"院系", ""},
               {"有效证件", "身份证"},
               {"证件号码", "450100"},
               {"备注", "  第一行\n第二行  "},
               {"CardId", " C001 "}};
    f.validUntil = QDate(2031, 6, 30);
    return f;
}

QSqlRecord reader(const QString &number)
{
    Statement st(QStringLiteral("select * from 读者库 where 读者编号="));
    st.value(number);
    QSqlQuery q = st.exec();
    return q.next() ? q.record() : QSqlRecord();
}

qlonglong count(const QString &sql)
{
    return scalar(sql).toLongLong();
}

// What the editing window collects for a reader as read, before the user changes anything.
ReaderForm formOf(const QSqlRecord &r)
{
    ReaderForm f;
    for (const QString &column : ReaderRegistration::textColumns())
        f.texts.insert(column, r.value(column).toString());
    f.validUntil = dateFromSql(r.value(QStringLiteral("有效期")));
    f.registered = dateFromSql(r.value(QStringLiteral("登记日期")));
    f.photo = r.value(QStringLiteral("pic")).toByteArray();
    return f;
}

bool exec(const QString &sql)
{
    QSqlQuery q(SharedConnection::database());
    return q.exec(sql);
}

} // namespace

class ReaderRegistrationDbTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void add_data();
    void add();
    void required_data();
    void required();
    void duplicateNumber();
    void feeRowFailsSoNoReader();
    void pickListsInOrderEntered();
    void updateChangedColumns();
    void updateNothingChanged();
    void updateRenumber();
    void updateRefusesDuplicateNumber();
    void updateAfterOtherWorkstation_data();
    void updateAfterOtherWorkstation();
    void updateRefusesEmptyNumber();
};

void ReaderRegistrationDbTest::initTestCase()
{
    // A time zone away from the server's, so that a date-time that went through a zone
    // conversion would no longer match what was read.
    qputenv("TZ", "Asia/Shanghai");
    tzset();
}

void ReaderRegistrationDbTest::add_data()
{
    QTest::addColumn<QString>("fee");
    QTest::addColumn<bool>("withPhoto");
    QTest::newRow("no fee, no photo") << QStringLiteral("0") << false;
    QTest::newRow("fee, photo") << QStringLiteral("10.5") << true;
    QTest::newRow("fee, no photo") << QStringLiteral("3") << false;
    QTest::newRow("negative fee, photo") << QStringLiteral("-2") << true;
}

// Every column a new reader gets, and the fee row only for a fee above nothing.
void ReaderRegistrationDbTest::add()
{
    QFETCH(QString, fee);
    QFETCH(bool, withPhoto);
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("管理员甲");
    loginContext().openingFee = *Money::parse(fee);
    ReaderForm f = newReader(QStringLiteral("  R001 "), QStringLiteral(" 红楼梦 "));
    if (withPhoto)
        f.photo = pngBytes(Qt::red);

    const Result r = ReaderRegistration::add(f, kNow);
    QVERIFY2(r.ok, qPrintable(r.message));

    const QSqlRecord row = reader(QStringLiteral("R001"));
    QVERIFY(!row.isEmpty());
    const QMap<QString, QString> expected = {{"读者姓名", "红楼梦"},
                                             {"性别", "女"},
                                             {"类别", "普通"},
                                             {"单位部门", "一车间"},
                                             {"住址", "北京路1号"},
                                             {"联系电话", "0771-123"},
                                             {"班级", ""},
                                             {"院系", ""},
                                             {"有效证件", "身份证"},
                                             {"证件号码", "450100"},
                                             {"备注", "第一行\n第二行"},
                                             {"CardId", "C001"},
                                             {"py", "HLM"},
                                             {"状态", "正常"},
                                             {"密码", "8888"},
                                             {"登记人", "管理员甲"},
                                             {"TmpA", "2024-03-05 14:07:09+A"}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(row.value(it.key()).toString(), it.value());
    QCOMPARE(row.value("累计借阅次数").toInt(), 0);
    QCOMPARE(row.value("未还数量").toInt(), 0);
    QVERIFY(!row.value("卡内金额").isNull());
    QVERIFY(Money::fromVariant(row.value("卡内金额")).isZero());
    QCOMPARE(dateFromSql(row.value("有效期")), QDate(2031, 6, 30));
    QCOMPARE(dateTimeFromSql(row.value("登记日期")), kNow);
    if (withPhoto)
        QCOMPARE(row.value("pic").toByteArray(), f.photo);
    else
        QVERIFY(row.value("pic").isNull());

    const bool charged = *Money::parse(fee) > Money();
    QCOMPARE(count(QStringLiteral("select count(*) from 收入")), charged ? 1 : 0);
    if (charged) {
        QSqlQuery q = Statement(QStringLiteral("select * from 收入")).exec();
        QVERIFY(q.next());
        QCOMPARE(q.value("项目").toString(), QStringLiteral("开户费"));
        QCOMPARE(dateTimeFromSql(q.value("时间")), kNow.date().startOfDay());
        QCOMPARE(q.value("读者编号").toString(), QStringLiteral("R001"));
        QCOMPARE(q.value("读者姓名").toString(), QStringLiteral("红楼梦"));
        QCOMPARE(Money::fromVariant(q.value("金额")), *Money::parse(fee));
        QCOMPARE(q.value("管理员").toString(), QStringLiteral("管理员甲"));
    }
}

void ReaderRegistrationDbTest::required_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::newRow("number empty") << QStringLiteral("读者编号") << QString();
    QTest::newRow("number blanks") << QStringLiteral("读者编号") << QStringLiteral("   ");
    QTest::newRow("name empty") << QStringLiteral("读者姓名") << QString();
    QTest::newRow("category empty") << QStringLiteral("类别") << QString();
}

// A required input left empty (or only blanks, which would be stored empty) writes nothing,
// not even the fee.
void ReaderRegistrationDbTest::required()
{
    QFETCH(QString, column);
    QFETCH(QString, value);
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().openingFee = Money::fromYuan(5);
    ReaderForm f = newReader(QStringLiteral("R001"));
    f.texts[column] = value;
    const Result r = ReaderRegistration::add(f, kNow);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("字体加重的项目必须填写!"));
    QCOMPARE(r.column, column);
    QCOMPARE(count(QStringLiteral("select count(*) from 读者库")), 0);
    QCOMPARE(count(QStringLiteral("select count(*) from 收入")), 0);
}

// A number that is taken (blanks around it do not make it another) is refused with a message
// that names it; neither the second reader nor a second fee is written.
void ReaderRegistrationDbTest::duplicateNumber()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().openingFee = Money::fromYuan(5);
    QVERIFY(ReaderRegistration::add(newReader(QStringLiteral("R001")), kNow).ok);
    const Result r =
        ReaderRegistration::add(newReader(QStringLiteral(" R001 "), QStringLiteral("李四")), kNow);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("读者编号“R001”已经存在,请换一个编号!"));
    QCOMPARE(r.column, QStringLiteral("读者编号"));
    QCOMPARE(count(QStringLiteral("select count(*) from 读者库")), 1);
    QCOMPARE(reader(QStringLiteral("R001")).value("读者姓名").toString(), QStringLiteral("张三"));
    QCOMPARE(count(QStringLiteral("select count(*) from 收入")), 1);
}

// The reader and the fee are one step: when the fee cannot be booked, no reader remains.
void ReaderRegistrationDbTest::feeRowFailsSoNoReader()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().openingFee = Money::fromYuan(5);
    QVERIFY(exec(QStringLiteral("alter table 收入 rename to 收入旧")));
    const Result r = ReaderRegistration::add(newReader(QStringLiteral("R001")), kNow);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.startsWith(QStringLiteral("开户费记录写入失败,读者没有保存:")),
             qPrintable(r.message));
    QCOMPARE(count(QStringLiteral("select count(*) from 读者库")), 0);
    // Without a fee the same reader goes in.
    loginContext().openingFee = Money();
    QVERIFY(ReaderRegistration::add(newReader(QStringLiteral("R001")), kNow).ok);
    QCOMPARE(count(QStringLiteral("select count(*) from 读者库")), 1);
}

// The lists come in the order their rows were entered, also after one of them was changed.
void ReaderRegistrationDbTest::pickListsInOrderEntered()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (const char *sql :
         {"insert into 读者类别 (类别名, 借阅天数) values ('学生', 10)",
          "insert into 读者类别 (类别名, 借阅天数) values ('教师', 60)",
          "update 读者类别 set 借阅天数=20 where 类别名='普通'",
          "insert into 单位名称 values ('二车间')", "insert into 单位名称 values ('一车间')",
          "update 单位名称 set 单位名称='二车间 ' where 单位名称='二车间'",
          "insert into 证件名 values ('学生证')"})
        QVERIFY2(exec(QString::fromUtf8(sql)), sql);
    QString error;
    const ReaderRegistration::PickLists lists = ReaderRegistration::loadPickLists(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(lists.categories, (QStringList{"普通", "学生", "教师"}));
    QCOMPARE(lists.departments, (QStringList{"二车间 ", "一车间"}));
    QCOMPARE(lists.documentKinds, (QStringList{"身份证", "学生证"}));
}

// The changed inputs are written, trimmed, with new initials; the registration keeps its
// time of day when only its date moves; the photo is replaced.
void ReaderRegistrationDbTest::updateChangedColumns()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    ReaderForm added = newReader(QStringLiteral("R001"));
    added.photo = pngBytes(Qt::red);
    QVERIFY(ReaderRegistration::add(added, kNow).ok);
    QVERIFY(
        exec(QStringLiteral("update 读者库 set 未还数量=2, 卡内金额=7.5 where 读者编号='R001'")));
    const QSqlRecord asRead = reader(QStringLiteral("R001"));

    ReaderForm f = formOf(asRead);
    f.texts["读者姓名"] = QStringLiteral(" 红楼梦 ");
    f.texts["联系电话"] = QStringLiteral("139");
    f.texts["备注"] = QString();
    f.validUntil = QDate(2035, 1, 2);
    f.registered = QDate(2024, 2, 1);
    f.photo = pngBytes(Qt::blue);
    const Result r = ReaderRegistration::update(asRead, f, true);
    QVERIFY2(r.ok, qPrintable(r.message));
    QVERIFY(r.written);

    const QSqlRecord row = reader(QStringLiteral("R001"));
    QCOMPARE(row.value("读者姓名").toString(), QStringLiteral("红楼梦"));
    QCOMPARE(row.value("py").toString(), QStringLiteral("HLM"));
    QCOMPARE(row.value("联系电话").toString(), QStringLiteral("139"));
    QCOMPARE(row.value("备注").toString(), QString());
    QCOMPARE(row.value("住址").toString(), QStringLiteral("北京路1号"));
    QCOMPARE(dateFromSql(row.value("有效期")), QDate(2035, 1, 2));
    QCOMPARE(dateTimeFromSql(row.value("登记日期")), QDateTime(QDate(2024, 2, 1), kNow.time()));
    QCOMPARE(row.value("pic").toByteArray(), f.photo);
    // What the window does not edit stays.
    QCOMPARE(row.value("未还数量").toInt(), 2);
    QCOMPARE(Money::fromVariant(row.value("卡内金额")), Money::fromRaw(75000));
    QCOMPARE(row.value("密码").toString(), QStringLiteral("8888"));
    QCOMPARE(row.value("TmpA").toString(), asRead.value("TmpA").toString());
}

// Saving what was shown writes nothing: an empty field over a NULL column leaves the NULL,
// and the photo stays when it was not changed.
void ReaderRegistrationDbTest::updateNothingChanged()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(exec(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, py, pic) values "
                                "('R9', '王五', 'WW', NULL)")));
    const QSqlRecord asRead = reader(QStringLiteral("R9"));
    const Result r = ReaderRegistration::update(asRead, formOf(asRead), false);
    QVERIFY2(r.ok, qPrintable(r.message));
    QVERIFY(!r.written);
    const QSqlRecord row = reader(QStringLiteral("R9"));
    for (const char *column : {"住址", "CardId", "有效期", "登记日期", "pic"})
        QVERIFY2(row.value(column).isNull(), column);
}

// A new number renames the reader itself; the loans keep the old one.
void ReaderRegistrationDbTest::updateRenumber()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(ReaderRegistration::add(newReader(QStringLiteral("R001")), kNow).ok);
    QVERIFY(exec(QStringLiteral("insert into 借出记录 (读者编号, 已还) values ('R001', '否')")));
    const QSqlRecord asRead = reader(QStringLiteral("R001"));
    ReaderForm f = formOf(asRead);
    f.texts["读者编号"] = QStringLiteral(" R100 ");
    QVERIFY(ReaderRegistration::update(asRead, f, false).ok);
    QVERIFY(reader(QStringLiteral("R001")).isEmpty());
    QCOMPARE(reader(QStringLiteral("R100")).value("读者姓名").toString(), QStringLiteral("张三"));
    QCOMPARE(scalar(QStringLiteral("select 读者编号 from 借出记录")).toString(),
             QStringLiteral("R001"));
}

void ReaderRegistrationDbTest::updateRefusesDuplicateNumber()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(ReaderRegistration::add(newReader(QStringLiteral("R001")), kNow).ok);
    QVERIFY(ReaderRegistration::add(newReader(QStringLiteral("R002"), "李四"), kNow).ok);
    const QSqlRecord asRead = reader(QStringLiteral("R002"));
    ReaderForm f = formOf(asRead);
    f.texts["读者编号"] = QStringLiteral("R001");
    f.texts["读者姓名"] = QStringLiteral("李四四");
    const Result r = ReaderRegistration::update(asRead, f, false);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("读者编号“R001”已经存在,请换一个编号!"));
    QCOMPARE(r.column, QStringLiteral("读者编号"));
    QCOMPARE(reader(QStringLiteral("R002")).value("读者姓名").toString(), QStringLiteral("李四"));
    QCOMPARE(reader(QStringLiteral("R001")).value("读者姓名").toString(), QStringLiteral("张三"));
}

void ReaderRegistrationDbTest::updateAfterOtherWorkstation_data()
{
    QTest::addColumn<QString>("otherStatement");
    QTest::addColumn<QString>("expectedMessage"); // empty: written
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedPhone");
    QTest::newRow("same column changed")
        << QStringLiteral("update 读者库 set 读者姓名='张三丰' where 读者编号='R001'")
        << QStringLiteral("读者“R001”的资料已在别处被修改,本次修改没有保存。\n"
                          "请取消后刷新读者列表,再重新编辑。")
        << QStringLiteral("张三丰") << QStringLiteral("0771-123");
    QTest::newRow("validity changed")
        << QStringLiteral("update 读者库 set 有效期='2040-01-01' where 读者编号='R001'")
        << QStringLiteral("读者“R001”的资料已在别处被修改,本次修改没有保存。\n"
                          "请取消后刷新读者列表,再重新编辑。")
        << QStringLiteral("张三") << QStringLiteral("0771-123");
    QTest::newRow("deleted") << QStringLiteral("delete from 读者库 where 读者编号='R001'")
                             << QStringLiteral("读者“R001”已在别处被删除,本次修改没有保存。")
                             << QString() << QString();
    QTest::newRow("other column changed: both kept")
        << QStringLiteral("update 读者库 set 联系电话='139' where 读者编号='R001'") << QString()
        << QStringLiteral("张小三") << QStringLiteral("139");
    QTest::newRow("loan counted meanwhile: written")
        << QStringLiteral("update 读者库 set 未还数量=未还数量+1, 累计借阅次数=累计借阅次数+1 "
                          "where 读者编号='R001'")
        << QString() << QStringLiteral("张小三") << QStringLiteral("0771-123");
}

// Another workstation changed the reader after the window read it: what it wrote is never
// overwritten unseen, and a reader deleted meanwhile is not brought back.
void ReaderRegistrationDbTest::updateAfterOtherWorkstation()
{
    QFETCH(QString, otherStatement);
    QFETCH(QString, expectedMessage);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedPhone);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(ReaderRegistration::add(newReader(QStringLiteral("R001")), kNow).ok);
    const QSqlRecord asRead = reader(QStringLiteral("R001"));
    ReaderForm f = formOf(asRead);
    f.texts["读者姓名"] = QStringLiteral("张小三");
    f.validUntil = QDate(2032, 2, 2);

    QVERIFY(exec(otherStatement));
    const Result r = ReaderRegistration::update(asRead, f, false);
    QCOMPARE(r.ok, expectedMessage.isEmpty());
    QCOMPARE(r.message, expectedMessage);
    const QSqlRecord row = reader(QStringLiteral("R001"));
    if (expectedName.isEmpty()) {
        QVERIFY(row.isEmpty());
        return;
    }
    QCOMPARE(row.value("读者姓名").toString(), expectedName);
    QCOMPARE(row.value("联系电话").toString(), expectedPhone);
}

void ReaderRegistrationDbTest::updateRefusesEmptyNumber()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(ReaderRegistration::add(newReader(QStringLiteral("R001")), kNow).ok);
    const QSqlRecord asRead = reader(QStringLiteral("R001"));
    ReaderForm f = formOf(asRead);
    f.texts["读者编号"] = QStringLiteral("  ");
    f.texts["读者姓名"] = QString();
    const Result r = ReaderRegistration::update(asRead, f, false);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("读者编号不能为空!"));
    QCOMPARE(reader(QStringLiteral("R001")).value("读者姓名").toString(), QStringLiteral("张三"));
}

QTEST_MAIN(ReaderRegistrationDbTest)
#include "reader_registration_dbtest.moc"
