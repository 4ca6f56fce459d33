// Times the in-place upgrade of a large library made by an earlier version: the key columns of
// 图书, 期刊, 读者库 and 出版社名 taking NULL, as such files have them. The tables are first put
// back into that older form (without the NOT NULL), then SchemaUpgrade::run rebuilds them.
//
//   build/bench/upgrade_bench COPY_OF_A_LIBRARY.db
//
// The file is changed: give it a copy (e.g. of one made by generate_bench).
#include "db/ConnectionString.h"
#include "db/SchemaUpgrade.h"
#include "db/SharedConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace {

// The create statement of the table with "not null primary key" turned back into the older
// "primary key".
bool makeKeyNullable(QSqlDatabase db, const QString &table, QString *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select sql from sqlite_master where type='table' and name=?"));
    q.addBindValue(table);
    if (!q.exec() || !q.next()) {
        *error = q.lastError().text();
        return false;
    }
    QString sql = q.value(0).toString();
    q.finish();
    sql.replace(QStringLiteral("not null primary key"), QStringLiteral("primary key"),
                Qt::CaseInsensitive);
    // A schema change that affects no stored row: the table's definition is rewritten.
    const QStringList steps = {
        QStringLiteral("pragma writable_schema=on"),
        QStringLiteral("update sqlite_master set sql=%1 where type='table' and name='%2'")
            .arg(QStringLiteral("'") + QString(sql).replace(QLatin1Char('\''), "''") +
                     QLatin1Char('\''),
                 table),
        QStringLiteral("pragma writable_schema=off")};
    for (const QString &s : steps) {
        if (!q.exec(s)) {
            *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc < 2) {
        out << "usage: upgrade_bench COPY_OF_A_LIBRARY.db\n";
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QString error;
    if (!SharedConnection::open(ConnectionString::forFile(path), SqlDialect::Embedded, &error)) {
        out << error << '\n';
        return 1;
    }
    QSqlDatabase db = SharedConnection::database();
    for (const char *table : {"图书", "期刊", "读者库", "出版社名"}) {
        if (!makeKeyNullable(db, QString::fromUtf8(table), &error)) {
            out << error << '\n';
            return 1;
        }
    }
    // The altered definitions are read again by a new connection.
    db = QSqlDatabase();
    SharedConnection::open(ConnectionString::forFile(path), SqlDialect::Embedded, &error);
    db = SharedConnection::database();

    QElapsedTimer timer;
    timer.start();
    QStringList notes;
    if (!SchemaUpgrade::run(db, SqlDialect::Embedded, &notes, &error)) {
        out << "upgrade failed: " << error << '\n';
        return 1;
    }
    out << "upgrade: " << timer.elapsed() / 1000.0 << " s\n";
    for (const QString &n : notes)
        out << n << '\n';
    timer.restart();
    if (!SchemaUpgrade::run(db, SqlDialect::Embedded, &notes, &error)) {
        out << "second run failed: " << error << '\n';
        return 1;
    }
    out << "second start (nothing to do): " << timer.elapsed() << " ms\n";
    return 0;
}
