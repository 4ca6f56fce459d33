#include "ContainsIndex.h"

#include "db/Schema.h"
#include "db/SharedConnection.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace ContainsIndex {

// Table, column and trigger names come from indexed() and the schema, never from input. They
// are written unquoted, as the tables were made: the server folds the ASCII letters of
// unquoted names (CardId is cardid there), so a quoted "CardId" would name no column.
namespace {

bool isServer(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

// A text searched for as one FTS5 phrase: between double quotes, which are doubled inside,
// every other character taken as it is.
QString ftsPhrase(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

bool isTextColumn(const QString &table, const QString &column)
{
    const Schema::Column *c = Schema::findColumn(table, column);
    return !c || c->type == Schema::ColumnType::Text || c->type == Schema::ColumnType::Memo;
}

bool tableExists(const QSqlDatabase &db, const QString &table)
{
    for (const QString &name : db.tables()) {
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool readFailed(const QSqlQuery &q, QString *error)
{
    if (error)
        *error = Statement::lastError(q);
    return false;
}

// Runs the statements in order; false with the failing statement's error.
bool runAll(const QSqlDatabase &db, const QStringList &statements, QString *error)
{
    for (const QString &sql : statements) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            if (error)
                *error = Statement::lastError(q);
            return false;
        }
    }
    return true;
}

// --- Embedded database: an FTS5 table with triggers ---

QStringList embeddedDropStatements(const Indexed &ix)
{
    QStringList out;
    for (const QString &trigger : triggerNames(ix.table))
        out << QStringLiteral("drop trigger if exists ") + trigger;
    out << QStringLiteral("drop table if exists ") + ftsTable(ix.table);
    return out;
}

// The entry of the row "new" in the index. The index keeps its own copy of the texts: removing
// a row's entry by its rowid can never disagree with what was indexed. "insert or replace"
// takes the place of an entry a row replaced without its delete trigger ("insert or replace"
// into the table) left.
QString insertNewStatement(const Indexed &ix)
{
    QStringList newValues;
    for (const QString &c : ix.columns)
        newValues << QStringLiteral("new.") + c;
    return QStringLiteral("insert or replace into %1 (rowid, %2) values (new.rowid, %3);")
        .arg(ftsTable(ix.table), ix.columns.join(QStringLiteral(", ")),
             newValues.join(QStringLiteral(", ")));
}

} // namespace

QString embeddedInsertTrigger(const Indexed &ix)
{
    return QStringLiteral("create trigger %1 after insert on %2 begin %3 end")
        .arg(triggerNames(ix.table)[0], ix.table, insertNewStatement(ix));
}

namespace {

QStringList embeddedCreateStatements(const Indexed &ix)
{
    const QString table = ix.table;
    const QString fts = ftsTable(ix.table);
    const QString colList = ix.columns.join(QStringLiteral(", "));
    const QStringList triggers = triggerNames(ix.table);
    const QString insertNew = insertNewStatement(ix);
    const QString deleteOld = QStringLiteral("delete from %1 where rowid=old.rowid;").arg(fts);
    return {
        QStringLiteral("create virtual table %1 using fts5(%2, tokenize='trigram')")
            .arg(fts, colList),
        QStringLiteral("insert into %1 (rowid, %2) select rowid, %2 from %3")
            .arg(fts, colList, table),
        embeddedInsertTrigger(ix),
        // Only a change of an indexed column touches the index, not the counters of a loan.
        QStringLiteral("create trigger %1 after update of %2 on %3 begin %4 %5 end")
            .arg(triggers[1], colList, table, deleteOld, insertNew),
        QStringLiteral("create trigger %1 after delete on %2 begin %3 end")
            .arg(triggers[2], table, deleteOld),
    };
}

// Whether the FTS table and its triggers are there, with the columns indexed() lists.
bool embeddedIsCurrent(const QSqlDatabase &db, const Indexed &ix, bool *current, QString *error)
{
    *current = false;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select count(*) from sqlite_master where (type='table' and name=?) "
                             "or (type='trigger' and tbl_name=? and name in (?, ?, ?))"));
    q.addBindValue(ftsTable(ix.table));
    q.addBindValue(ix.table);
    for (const QString &trigger : triggerNames(ix.table))
        q.addBindValue(trigger);
    if (!q.exec() || !q.next())
        return readFailed(q, error);
    if (q.value(0).toInt() != 4)
        return true;
    q.finish();
    if (!q.exec(QStringLiteral("pragma table_info(%1)").arg(ftsTable(ix.table))))
        return readFailed(q, error);
    QStringList columns;
    while (q.next())
        columns << q.value(QStringLiteral("name")).toString();
    *current = columns == ix.columns;
    return true;
}

bool ensureEmbedded(const QSqlDatabase &db, const Indexed &ix, QStringList *notes, QString *error)
{
    bool current = false;
    if (!embeddedIsCurrent(db, ix, &current, error))
        return false;
    if (current)
        return true;
    Transaction tx(db);
    QString reason;
    if (!tx.isActive()) {
        reason = tx.error();
    } else if (runAll(db, embeddedDropStatements(ix) + embeddedCreateStatements(ix), &reason) &&
               tx.commit(&reason)) {
        return true;
    }
    tx.rollback();
    if (notes)
        *notes << QStringLiteral("数据表 %1 的模糊查询索引无法建立; 模糊查询照常可用, 结果相同, "
                                 "只是在大的图书馆里会慢一些:\n%2")
                      .arg(ix.table, reason);
    return true;
}

// --- Server: pg_trgm GIN indexes ---

bool serverMissingIndexes(const QSqlDatabase &db, const Indexed &ix, QStringList *missing,
                          QString *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select indexname from pg_indexes where "
                             "schemaname=current_schema() and tablename=?"));
    q.addBindValue(ix.table.toLower());
    if (!q.exec())
        return readFailed(q, error);
    QStringList present;
    while (q.next())
        present << q.value(0).toString();
    for (const QString &c : ix.columns) {
        if (!present.contains(serverIndexName(ix.table, c)))
            missing->append(c);
    }
    return true;
}

bool ensureServer(const QSqlDatabase &db, const Indexed &ix, QStringList *notes, QString *error)
{
    QStringList missing;
    if (!serverMissingIndexes(db, ix, &missing, error))
        return false;
    if (missing.isEmpty())
        return true;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select count(*) from pg_available_extensions where "
                               "name='pg_trgm'")) ||
        !q.next())
        return readFailed(q, error);
    if (q.value(0).toInt() == 0) {
        if (notes)
            *notes << QStringLiteral("PostgreSQL 服务器上没有 pg_trgm 扩展 (Debian 软件包 "
                                     "postgresql-contrib), 数据表 %1 的模糊查询不能使用索引; "
                                     "结果相同, 只是在大的图书馆里会慢一些.")
                          .arg(ix.table);
        return true;
    }
    q.finish();
    QStringList statements{QStringLiteral("create extension if not exists pg_trgm")};
    for (const QString &c : missing)
        statements << QStringLiteral("create index if not exists %1 on %2 using gin (%3 "
                                     "gin_trgm_ops)")
                          .arg(serverIndexName(ix.table, c), ix.table, c);
    Transaction tx(db);
    QString reason;
    if (!tx.isActive()) {
        reason = tx.error();
    } else if (runAll(db, statements, &reason) && tx.commit(&reason)) {
        return true;
    }
    tx.rollback();
    if (notes)
        *notes << QStringLiteral("数据表 %1 的模糊查询索引无法建立; 模糊查询照常可用, 结果相同, "
                                 "只是在大的图书馆里会慢一些:\n%2")
                      .arg(ix.table, reason);
    return true;
}

} // namespace

const QVector<Indexed> &indexed()
{
    // Reader and book management search these by "contains" over every row; the other
    // columns are searched rarely or by an exact value.
    static const QVector<Indexed> all = {
        {QStringLiteral("读者库"), {QStringLiteral("读者编号"), QStringLiteral("读者姓名")}},
        {QStringLiteral("图书"),
         {QStringLiteral("名称"), QStringLiteral("作者"), QStringLiteral("isbn"),
          QStringLiteral("条形码")}},
    };
    return all;
}

bool isIndexed(const QString &table, const QString &column)
{
    for (const Indexed &ix : indexed()) {
        if (ix.table.compare(table, Qt::CaseInsensitive) != 0)
            continue;
        for (const QString &c : ix.columns) {
            if (c.compare(column, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

QString likePattern(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

QString likeOperator(SqlDialect dialect, const QString &text)
{
    if (dialect != SqlDialect::Server)
        return QStringLiteral(" like ");
    for (const char32_t c : text.toUcs4()) {
        if (QChar::toLower(c) != c || QChar::toUpper(c) != c || QChar::toTitleCase(c) != c)
            return QStringLiteral(" ilike ");
    }
    return QStringLiteral(" like ");
}

QString ftsTable(const QString &table)
{
    return table + QStringLiteral("_全文");
}

QStringList triggerNames(const QString &table)
{
    const QString fts = ftsTable(table);
    return {fts + QStringLiteral("_新增"), fts + QStringLiteral("_修改"),
            fts + QStringLiteral("_删除")};
}

QString serverIndexName(const QString &table, const QString &column)
{
    return QStringLiteral("ix_%1_%2_trgm").arg(table, column.toLower());
}

bool isBuilt(const QSqlDatabase &db, const QString &table)
{
    if (isServer(db))
        return false;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select count(*) from sqlite_master where (type='table' and name=?) "
                             "or (type='trigger' and name in (?, ?, ?))"));
    q.addBindValue(ftsTable(table));
    for (const QString &trigger : triggerNames(table))
        q.addBindValue(trigger);
    return q.exec() && q.next() && q.value(0).toInt() == 4;
}

void appendContains(Statement &statement, const QString &table, const QString &column,
                    const QString &text)
{
    appendContains(statement, SharedConnection::database(), table, column, text);
}

void appendContains(Statement &statement, const QSqlDatabase &db, const QString &table,
                    const QString &column, const QString &text)
{
    const SqlDialect dialect = isServer(db) ? SqlDialect::Server : SqlDialect::Embedded;
    const QString col = column;
    if (dialect != SqlDialect::Server && isIndexed(table, column) &&
        text.toUcs4().size() >= kMinimumLength && isBuilt(db, table)) {
        statement
            .text(table + QStringLiteral(".rowid in (select rowid from ") + ftsTable(table) +
                  QStringLiteral(" where ") + col + QStringLiteral(" match "))
            .value(ftsPhrase(text))
            .text(QStringLiteral(") and "));
    }
    const QString subject = isTextColumn(table, column)
                                ? col
                                : QStringLiteral("cast(") + col + QStringLiteral(" as text)");
    statement.text(subject + likeOperator(dialect, text))
        .value(likePattern(text))
        .text(QStringLiteral(" escape '\\'"));
}

void appendContainsAny(Statement &statement, const QSqlDatabase &db, const QString &table,
                       const QStringList &columns, const QString &text)
{
    bool together = !isServer(db) && !columns.isEmpty() && text.toUcs4().size() >= kMinimumLength &&
                    isBuilt(db, table);
    for (const QString &c : columns)
        together = together && isIndexed(table, c) && isTextColumn(table, c);
    statement.text(QStringLiteral("("));
    if (together) {
        // An FTS5 column filter: {名称 作者}: "text" looks in those columns only.
        statement
            .text(table + QStringLiteral(".rowid in (select rowid from ") + ftsTable(table) +
                  QStringLiteral(" where ") + ftsTable(table) + QStringLiteral(" match "))
            .value(QLatin1Char('{') + columns.join(QLatin1Char(' ')) + QStringLiteral("}: ") +
                   ftsPhrase(text))
            .text(QStringLiteral(") and ("));
        for (int i = 0; i < columns.size(); ++i) {
            statement
                .text((i > 0 ? QStringLiteral(" or ") : QString()) + columns[i] +
                      likeOperator(SqlDialect::Embedded, text))
                .value(likePattern(text))
                .text(QStringLiteral(" escape '\\'"));
        }
        statement.text(QStringLiteral(")"));
    } else {
        for (int i = 0; i < columns.size(); ++i) {
            statement.text(i > 0 ? QStringLiteral(" or (") : QStringLiteral("("));
            appendContains(statement, db, table, columns[i], text);
            statement.text(QStringLiteral(")"));
        }
    }
    statement.text(QStringLiteral(")"));
}

bool ensure(QSqlDatabase db, SqlDialect dialect, QStringList *notes, QString *error)
{
    for (const Indexed &ix : indexed()) {
        if (!tableExists(db, ix.table))
            continue;
        const bool ok = dialect == SqlDialect::Server ? ensureServer(db, ix, notes, error)
                                                      : ensureEmbedded(db, ix, notes, error);
        if (!ok)
            return false;
    }
    return true;
}

bool drop(QSqlDatabase db, SqlDialect dialect, QString *error)
{
    QStringList statements;
    for (const Indexed &ix : indexed()) {
        if (dialect != SqlDialect::Server) {
            statements << embeddedDropStatements(ix);
            continue;
        }
        for (const QString &c : ix.columns)
            statements << QStringLiteral("drop index if exists ") + serverIndexName(ix.table, c);
    }
    return runAll(db, statements, error);
}

} // namespace ContainsIndex
