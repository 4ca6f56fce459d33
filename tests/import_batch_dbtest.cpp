// The batch writer of the imports: rows in transactions committed every N rows, a savepoint per
// row, a refused row rolled back alone with the database's message, what is pending committed
// at the end.
#include "TestDb.h"

#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "import/ImportBatch.h"

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
