// The batch writer of the imports: rows in transactions committed every N rows, a savepoint per
// row, a refused row rolled back alone with the database's message, what is pending committed
// at the end.
#include "TestDb.h"

#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "import/ImportBatch.h"
#include "search/ContainsIndex.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

Statement insertBook(const QString &number, const QString &name = QStringLiteral("书"))
{
    return Statement::insert(
        QStringLiteral("图书"),
        {QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("数量")},
        {number, name, 1});
}

qint64 books()
{
    return scalar(QStringLiteral("select count(*) from 图书")).toLongLong();
}

// What another workstation sees: only committed rows.
qint64 committedBooks()
{
    qint64 n = -1;
    {
        QString error;
        if (!SharedConnection::openCopy(QStringLiteral("other"), &error))
            return -2;
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("other")));
        if (q.exec(QStringLiteral("select count(*) from 图书")) && q.next())
            n = q.value(0).toLongLong();
        QSqlDatabase::database(QStringLiteral("other")).close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    return n;
}

// Books whose 名称 contains text, found the way book management finds them (through the
// "contains" index where the database has one).
qint64 booksNamed(const QString &text)
{
    Statement st(QStringLiteral("select count(*) from 图书 where "));
    ContainsIndex::appendContains(st, QStringLiteral("图书"), QStringLiteral("名称"), text);
    QSqlQuery q = st.exec();
    return q.next() ? q.value(0).toLongLong() : -1;
}

} // namespace

class ImportBatchTest : public QObject {
    Q_OBJECT

private slots:
    void refusedRowRollsBackAlone()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        {
            ImportBatch batch(SharedConnection::database(), 3);
            QString error;
            QVERIFY(batch.write(insertBook(QStringLiteral("1")), &error));
            QVERIFY(batch.write(insertBook(QStringLiteral("2")), &error));
            QVERIFY(!batch.write(insertBook(QStringLiteral("1"), QStringLiteral("重复")), &error));
            QVERIFY2(!error.isEmpty(), "the database's message is reported");
            // The duplicate was refused inside the batch; the batch goes on.
            QVERIFY(batch.write(insertBook(QStringLiteral("3")), &error));
            QCOMPARE(batch.rowsCommitted(), 3);
            QVERIFY(batch.write(insertBook(QStringLiteral("4")), &error));
            QCOMPARE(batch.rowsPending(), 1);
            QCOMPARE(batch.rowsRefused(), 1);
            QVERIFY(batch.finish(&error));
            QCOMPARE(batch.rowsCommitted(), 4);
        }
        QCOMPARE(books(), 4);
        QCOMPARE(scalar(QStringLiteral("select 名称 from 图书 where 编号='1'")).toString(),
                 QStringLiteral("书"));
    }

    // A row of several statements is written whole or not at all.
    void rowOfSeveralStatementsIsAllOrNothing()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        ImportBatch batch(SharedConnection::database(), 100);
        QString error;
        QVERIFY(batch.write(insertBook(QStringLiteral("1")), &error));
        QVERIFY(!batch.write(
            QVector<Statement>{insertBook(QStringLiteral("2")), insertBook(QStringLiteral("1"))},
            &error));
        QVERIFY(batch.write(
            QVector<Statement>{insertBook(QStringLiteral("3")), insertBook(QStringLiteral("4"))},
            &error));
        QVERIFY(batch.finish(&error));
        QCOMPARE(books(), 3);
        QCOMPARE(scalar(QStringLiteral("select count(*) from 图书 where 编号='2'")).toInt(), 0);
    }

    // Rows become visible to others batch by batch; a stop keeps everything written so far.
    void commitsEveryNRowsAndAtTheEnd()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        {
            ImportBatch batch(SharedConnection::database(), 2);
            for (int i = 1; i <= 5; ++i)
                QVERIFY(batch.write(insertBook(QString::number(i))));
            QCOMPARE(batch.rowsCommitted(), 4);
            QCOMPARE(committedBooks(), 4);
            // Leaving the scope is what a stopped import does.
        }
        QCOMPARE(committedBooks(), 5);
    }

    // The rows of a batch are found by the "contains" search once committed, whatever
    // happened to them inside the batch; the index goes on indexing rows written afterwards.
    void searchIndexFollowsTheBatch()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        {
            ImportBatch batch(SharedConnection::database(), 3);
            QString error;
            for (int i = 1; i <= 7; ++i)
                QVERIFY(batch.write(
                    insertBook(QString::number(i), QStringLiteral("红楼梦%1").arg(i)), &error));
            QVERIFY(!batch.write(insertBook(QStringLiteral("1"), QStringLiteral("被拒绝的书")),
                                 &error));
            // Changed and removed inside the open batch (rows 6 and 7 are not committed yet); the
            // next row takes the place of the last one removed.
            QVERIFY(batch.write(
                Statement(QStringLiteral("update 图书 set 名称='西游记' where 编号='6'")), &error));
            QVERIFY(
                batch.write(Statement(QStringLiteral("delete from 图书 where 编号='7'")), &error));
            QVERIFY(batch.write(insertBook(QStringLiteral("8"), QStringLiteral("水浒传")), &error));
            QVERIFY(batch.finish(&error));
        }
        QCOMPARE(booksNamed(QStringLiteral("红楼梦")), 5);
        QCOMPARE(booksNamed(QStringLiteral("西游记")), 1);
        QCOMPARE(booksNamed(QStringLiteral("水浒传")), 1);
        QCOMPARE(booksNamed(QStringLiteral("被拒绝")), 0);
        if (testDb.dialect() == SqlDialect::Embedded)
            QVERIFY(ContainsIndex::isBuilt(SharedConnection::database(), QStringLiteral("图书")));
        QVERIFY(insertBook(QStringLiteral("9"), QStringLiteral("三国演义")).exec().isActive());
        QCOMPARE(booksNamed(QStringLiteral("三国演义")), 1);
        // Every row is indexed exactly once.
        if (testDb.dialect() == SqlDialect::Embedded)
            QCOMPARE(scalar(QStringLiteral("select count(*) from 图书_全文")).toLongLong(),
                     books());
    }

    // A statement the database cannot even prepare is refused like any other row.
    void unpreparableStatementIsRefused()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        ImportBatch batch(SharedConnection::database(), 10);
        QString error;
        QVERIFY(!batch.write(Statement(QStringLiteral("insert into 没有这个表 (a) values ("))
                                 .value(1)
                                 .text(QStringLiteral(")")),
                             &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(batch.write(insertBook(QStringLiteral("1")), &error));
        QVERIFY(batch.finish(&error));
        QCOMPARE(books(), 1);
        QCOMPARE(batch.rowsLost(), 0);
    }
};

QTEST_GUILESS_MAIN(ImportBatchTest)
#include "import_batch_dbtest.moc"
