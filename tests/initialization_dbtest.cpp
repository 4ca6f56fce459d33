// Emptying tables behind the initialization code, and the batch changes of locations and
// readers.
#include "TestDb.h"

#include "admin/BatchChanges.h"
#include "admin/Initialization.h"
#include "db/Statement.h"

#include <QtTest>

namespace {

void exec(const QString &sql, const QVariantList &values = {})
{
    QString error;
    QVERIFY2(Statement(sql, values).run(&error), qPrintable(error));
}

qint64 rows(const QString &table)
{
    return scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
}

void reader(const QString &number, const QString &department, const QString &cls)
{
    exec(
        QStringLiteral(
            "insert into 读者库 (读者编号, 读者姓名, 院系, 班级, 单位部门) values (?, ?, ?, ?, ?)"),
        {number, number, department, cls, QStringLiteral("后勤")});
}

void loan(const QString &number, const QString &returned)
{
    exec(QStringLiteral("insert into 借出记录 (读者编号, 编号, 已还) values (?, ?, ?)"),
         {number, QStringLiteral("B1"), returned});
}

} // namespace

class InitializationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void codeGuardsEveryDeletion_data();
    void codeGuardsEveryDeletion();
    void locationChangeMovesOnlyThatLocation();
    void readerDeletionKeepsReadersWithLoans();

private:
    std::unique_ptr<TestDb> m_db;
};

void InitializationTest::init()
{
    m_db = std::make_unique<TestDb>();
    TSGL_FRESH_DB(*m_db);
    exec(QStringLiteral("insert into 图书 (编号, 名称, 存放位置) values ('B1', 'a', '书库'), "
                        "('B2', 'b', '阅览室')"));
    exec(QStringLiteral("insert into 期刊 (编号, 名称, 存放位置) values ('Q1', 'q', '书库')"));
    reader(QStringLiteral("R1"), QStringLiteral("数学系"), QStringLiteral("一班"));
    loan(QStringLiteral("R1"), QStringLiteral("是"));
    loan(QStringLiteral("R1"), QStringLiteral("否"));
    exec(QStringLiteral("insert into 收入 (项目, 读者编号) values ('充值', 'R1')"));
    exec(QStringLiteral("insert into 管理员日志 (事件) values ('x')"));
}

void InitializationTest::codeGuardsEveryDeletion_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QVector<int>>("chosen");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QVector<qint64>>("left"); // 图书 期刊 读者库 借出记录 收入 管理员日志
    const QVector<int> all = {0, 1, 2, 3, 4, 5, 6};
    QTest::newRow("wrong code") << "QLSJ" << all << QStringList()
                                << QVector<qint64>{2, 1, 1, 2, 1, 1};
    QTest::newRow("nothing chosen")
        << "qlsj" << QVector<int>() << QStringList() << QVector<qint64>{2, 1, 1, 2, 1, 1};
    QTest::newRow("returned loans only")
        << "qlsj" << QVector<int>{5} << QStringList{QStringLiteral("删除已还借阅记录数据完毕!")}
        << QVector<qint64>{2, 1, 1, 1, 1, 1};
    QTest::newRow("everything, in order")
        << "qlsj" << QVector<int>{6, 0, 5, 3, 1, 2, 4}
        << QStringList{QStringLiteral("删除图书数据完毕!"),
                       QStringLiteral("删除期刊数据完毕!"),
                       QStringLiteral("删除读者数据完毕!"),
                       QStringLiteral("删除借阅记录数据完毕!"),
                       QStringLiteral("删除资金记录数据完毕!"),
                       QStringLiteral("删除已还借阅记录数据完毕!"),
                       QStringLiteral("删除数据完毕!")}
        << QVector<qint64>{0, 0, 0, 0, 0, 0};
}

void InitializationTest::codeGuardsEveryDeletion()
{
    QFETCH(QString, code);
    QFETCH(QVector<int>, chosen);
    QFETCH(QStringList, messages);
    QFETCH(QVector<qint64>, left);
    const Initialization::Outcome out = Initialization::run(code, chosen);
    QCOMPARE(out.done, code == QLatin1String("qlsj"));
    if (!out.done)
        QCOMPARE(out.error, Initialization::wrongCodeMessage());
    QCOMPARE(out.messages, messages);
    const QStringList tables = {"图书", "期刊", "读者库", "借出记录", "收入", "管理员日志"};
    for (int i = 0; i < tables.size(); ++i)
        QCOMPARE(rows(tables[i]), left[i]);
    QVERIFY(rows(QStringLiteral("管理员")) > 0); // administrators stay
}

void InitializationTest::locationChangeMovesOnlyThatLocation()
{
    QVERIFY(BatchChanges::locationChange(QStringLiteral("图书;drop"), "a", "b").sql().isEmpty());
    const Statement st = BatchChanges::locationChange(
        QStringLiteral("图书"), QStringLiteral("书库"), QStringLiteral("O'新库"));
    QCOMPARE(st.displayText(),
             QStringLiteral("update 图书 set 存放位置='O''新库' where 存放位置='书库'"));
    QVERIFY(st.run());
    QCOMPARE(scalar(QStringLiteral("select count(*) from 图书 where 存放位置='O''新库'")).toInt(),
             1);
    QCOMPARE(scalar(QStringLiteral("select 存放位置 from 期刊")).toString(),
             QStringLiteral("书库"));
}

void InitializationTest::readerDeletionKeepsReadersWithLoans()
{
    reader(QStringLiteral("R2"), QStringLiteral("数学系"), QStringLiteral("一班"));
    reader(QStringLiteral("R3"), QStringLiteral("数学系"), QStringLiteral("二班"));
    reader(QStringLiteral("R4"), QStringLiteral("物理系"), QStringLiteral("一班"));
    loan(QStringLiteral("R3"), QStringLiteral("是"));
    BatchChanges::ReaderGroup group;
    group.department = QStringLiteral("数学系");
    BatchChanges::ReaderCount count;
    QString error;
    QVERIFY2(BatchChanges::countReaders(group, &count, &error), qPrintable(error));
    QCOMPARE(count.deletable, 2); // R2, R3 (returned loan only)
    QCOMPARE(count.withLoans, 1); // R1
    QVERIFY(
        BatchChanges::deletionQuestion(count).contains(QStringLiteral("1 位读者还有未还的借阅")));
    int deleted = -1;
    QVERIFY2(BatchChanges::deleteReaders(group, &deleted, &error), qPrintable(error));
    QCOMPARE(deleted, 2);
    QCOMPARE(
        scalar(QStringLiteral("select count(*) from 读者库 where 读者编号 in ('R1','R4')")).toInt(),
        2);
    QCOMPARE(rows(QStringLiteral("读者库")), 2);
    QCOMPARE(rows(QStringLiteral("管理员日志")), 2); // the deletion is logged
    QVERIFY(!BatchChanges::deleteReaders(BatchChanges::ReaderGroup(), &deleted, &error));
    QCOMPARE(error, BatchChanges::incompleteMessage());
}

QTEST_MAIN(InitializationTest)
#include "initialization_dbtest.moc"
