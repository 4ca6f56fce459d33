#include "SchemaUpgrade.h"

#include "Schema.h"
#include "Statement.h"
#include "search/ContainsIndex.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace SchemaUpgrade {

namespace {

QString quoted(const QString &name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

bool fail(const QSqlQuery &q, QString *error)
{
    if (error)
        *error = Statement::lastError(q);
    return false;
}

bool tableExists(const QSqlDatabase &db, const QString &table)
{
    for (const QString &name : db.tables()) {
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The server: the insertion number of each list table.
bool addOrderColumns(QSqlDatabase db, QString *error)
{
    for (const Schema::Table &t : Schema::tables()) {
        if (!t.insertionOrdered || !tableExists(db, t.name))
            continue;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select count(*) from information_schema.columns where "
                                 "table_schema=current_schema() and table_name=? and "
                                 "column_name=?"));
        q.addBindValue(t.name.toLower());
        q.addBindValue(QString::fromUtf8(Schema::OrderColumn));
        if (!q.exec() || !q.next())
            return fail(q, error);
        if (q.value(0).toInt() > 0)
            continue;
        q.finish();
        Transaction tx(db);
        if (!q.exec(QStringLiteral("alter table %1 add column %2")
                        .arg(t.name, Schema::orderColumnDefinition())))
            return fail(q, error);
        if (!tx.commit(error))
            return false;
    }
    return true;
}

struct ColumnInfo {
    QString name;
    QString type;
    bool notNull = false;
    QVariant defaultValue;
    int keyPosition = 0;
};

QVector<ColumnInfo> columnsOf(const QSqlDatabase &db, const QString &table, QString *error)
{
    QVector<ColumnInfo> out;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("pragma table_info(%1)").arg(quoted(table)))) {
        fail(q, error);
        return out;
    }
    while (q.next()) {
        ColumnInfo c;
        c.name = q.value(QStringLiteral("name")).toString();
        c.type = q.value(QStringLiteral("type")).toString();
        c.notNull = q.value(QStringLiteral("notnull")).toInt() != 0;
        c.defaultValue = q.value(QStringLiteral("dflt_value"));
        c.keyPosition = q.value(QStringLiteral("pk")).toInt();
        out << c;
    }
    return out;
}

// Writes the table anew with its key column NOT NULL: same columns, rows, rowids, indexes.
bool rebuildWithKeyNotNull(QSqlDatabase db, const QString &table,
                           const QVector<ColumnInfo> &columns, QString *error)
{
    Transaction tx(db, table);
    if (!tx.isActive()) {
        if (error)
            *error = tx.error();
        return false;
    }
    QSqlQuery q(db);
    QStringList indexSql;
    q.prepare(QStringLiteral("select sql from sqlite_master where type='index' and tbl_name=? "
                             "and sql is not null"));
    q.addBindValue(table);
    if (!q.exec())
        return fail(q, error);
    while (q.next())
        indexSql << q.value(0).toString();

    int keyCount = 0;
    for (const ColumnInfo &c : columns)
        keyCount += c.keyPosition > 0 ? 1 : 0;
    QStringList definitions;
    QStringList names;
    QStringList keyNames(keyCount);
    for (const ColumnInfo &c : columns) {
        QString def = quoted(c.name);
        if (!c.type.isEmpty())
            def += QLatin1Char(' ') + c.type;
        if (c.notNull || c.keyPosition > 0)
            def += QStringLiteral(" NOT NULL");
        if (!c.defaultValue.isNull())
            def += QStringLiteral(" DEFAULT ") + c.defaultValue.toString();
        if (c.keyPosition > 0 && keyCount == 1)
            def += QStringLiteral(" PRIMARY KEY");
        else if (c.keyPosition > 0)
            keyNames[c.keyPosition - 1] = quoted(c.name);
        definitions << def;
        names << quoted(c.name);
    }
    if (keyCount > 1)
        definitions << QStringLiteral("PRIMARY KEY (%1)").arg(keyNames.join(QLatin1Char(',')));

    const QString fresh = quoted(table + QStringLiteral("_升级"));
    const QString columnList = names.join(QLatin1Char(','));
    const QStringList steps = {
        QStringLiteral("drop table if exists %1").arg(fresh),
        QStringLiteral("create table %1 (%2)").arg(fresh, definitions.join(QStringLiteral(", "))),
        // The rowids come along: they are the rows' insertion order.
        QStringLiteral("insert into %1 (rowid,%2) select rowid,%2 from %3")
            .arg(fresh, columnList, quoted(table)),
        QStringLiteral("drop table %1").arg(quoted(table)),
        QStringLiteral("alter table %1 rename to %2").arg(fresh, quoted(table)),
    };
    for (const QString &sql : steps + indexSql) {
        if (!q.exec(sql))
            return fail(q, error);
    }
    return tx.commit(error);
}

// The embedded database: key columns NOT NULL.
bool makeKeysNotNull(QSqlDatabase db, QStringList *notes, QString *error)
{
    for (const Schema::Table &t : Schema::tables()) {
        if (!tableExists(db, t.name))
            continue;
        QString readError;
        const QVector<ColumnInfo> columns = columnsOf(db, t.name, &readError);
        if (!readError.isEmpty()) {
            if (error)
                *error = readError;
            return false;
        }
        QString nullableKey;
        for (const ColumnInfo &c : columns) {
            // An integer primary key is the rowid, which is never NULL.
            if (c.keyPosition > 0 && !c.notNull &&
                c.type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) != 0)
                nullableKey = c.name;
        }
        if (nullableKey.isEmpty())
            continue;
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("select count(*) from %1 where %2 is null")
                        .arg(quoted(t.name), quoted(nullableKey))) ||
            !q.next())
            return fail(q, error);
        const qlonglong nulls = q.value(0).toLongLong();
        q.finish();
        if (nulls > 0) {
            if (notes)
                *notes << QStringLiteral("数据表 %1 中有 %2 行的 %3 是空的, 这些行无法按%3找到; "
                                         "请补上%3, 下次启动时该表会被升级.")
                              .arg(t.name)
                              .arg(nulls)
                              .arg(nullableKey);
            continue;
        }
        if (!rebuildWithKeyNotNull(db, t.name, columns, error))
            return false;
    }
    return true;
}

// The server: the publication date (出版时间 of books and periodicals) is text, as typed or
// imported; a column made as a date-time by an earlier version becomes text with its values
// as the program writes dates: "yyyy-mm-dd", a time of day kept only when it is not midnight.
// Once done, the check is one catalogue read per table.
bool publicationDateAsText(QSqlDatabase db, QString *error)
{
    for (const QString &table : {QStringLiteral("图书"), QStringLiteral("期刊")}) {
        if (!tableExists(db, table))
            continue;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select data_type from information_schema.columns where "
                                 "table_schema=current_schema() and table_name=? and "
                                 "column_name=?"));
        q.addBindValue(table);
        q.addBindValue(QStringLiteral("出版时间"));
        if (!q.exec())
            return fail(q, error);
        if (!q.next() || !q.value(0).toString().startsWith(QLatin1String("timestamp")))
            continue;
        q.finish();
        Transaction tx(db);
        if (!q.exec(QStringLiteral("alter table %1 alter column 出版时间 type varchar using case "
                                   "when 出版时间 = date_trunc('day', 出版时间) then "
                                   "to_char(出版时间, 'YYYY-MM-DD') "
                                   "else to_char(出版时间, 'YYYY-MM-DD HH24:MI:SS') end")
                        .arg(table)))
            return fail(q, error);
        if (!tx.commit(error))
            return false;
    }
    return true;
}

// Creates the indexes of the schema that a library of an earlier version lacks. A table that
// is not there, or lacks an indexed column, is left to the statements that use it.
bool addMissingIndexes(const QSqlDatabase &db, QString *error)
{
    const QStringList tables = db.tables();
    for (const Schema::Index &ix : Schema::indexes()) {
        bool present = false;
        for (const QString &name : tables)
            present = present || name.compare(ix.table, Qt::CaseInsensitive) == 0;
        if (!present)
            continue;
        const QSqlRecord record = db.record(ix.table);
        bool columns = true;
        for (const QString &c : ix.columns)
            columns = columns && record.indexOf(c) >= 0;
        if (!columns)
            continue;
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("create index if not exists %1 on %2 (%3)")
                        .arg(ix.name, ix.table, ix.columns.join(QStringLiteral(", "))))) {
            if (error)
                *error = Statement::lastError(q);
            return false;
        }
    }
    return true;
}

} // namespace

bool run(QSqlDatabase db, SqlDialect dialect, QStringList *notes, QString *error)
{
    if (error)
        error->clear();
    // The embedded database declares the publication date TEXT in both forms, so only the
    // server changes its column type.
    const bool tablesDone = dialect == SqlDialect::Server
                                ? addOrderColumns(db, error) && publicationDateAsText(db, error)
                                : makeKeysNotNull(db, notes, error);
    // After the tables: writing a table anew drops its triggers, which the index needs.
    return tablesDone && addMissingIndexes(db, error) &&
           ContainsIndex::ensure(db, dialect, notes, error);
}

} // namespace SchemaUpgrade
