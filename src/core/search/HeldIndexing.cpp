#include "HeldIndexing.h"

#include "ContainsIndex.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace {

// The temporary table and trigger that note the rows inserted into table while its indexing is
// held. Temporary objects belong to this connection alone.
QString notedTable(const QString &table)
{
    return ContainsIndex::ftsTable(table) + QStringLiteral("_待建");
}

QString notingTrigger(const QString &table)
{
    return ContainsIndex::ftsTable(table) + QStringLiteral("_待建_记录");
}

bool run(const QSqlDatabase &db, const QString &sql, QString *error)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    if (error)
        *error = Statement::lastError(q);
    return false;
}

} // namespace

HeldIndexing::HeldIndexing(QSqlDatabase db)
    : m_db(std::move(db))
{}

bool HeldIndexing::hold(QString *error)
{
    if (isHolding() || m_db.driverName() != QLatin1String("QSQLITE"))
        return true;
    for (const ContainsIndex::Indexed &ix : ContainsIndex::indexed()) {
        if (!ContainsIndex::isBuilt(m_db, ix.table))
            continue;
        const QString noted = notedTable(ix.table);
        const QStringList statements = {
            QStringLiteral("create temp table if not exists %1 (行 integer)").arg(noted),
            QStringLiteral("delete from temp.%1").arg(noted),
            QStringLiteral("drop trigger main.%1").arg(ContainsIndex::triggerNames(ix.table)[0]),
            // A trigger's statements name tables unqualified; this one is found in temp first.
            QStringLiteral("create temp trigger %1 after insert on main.%2 begin insert into %3 "
                           "(行) values (new.rowid); end")
                .arg(notingTrigger(ix.table), ix.table, noted),
        };
        // Recorded before the statements run: a failure part way leaves the caller's rollback
        // to undo what ran, and forget() then clears this list.
        m_held << &ix;
        for (const QString &sql : statements) {
            if (!run(m_db, sql, error))
                return false;
        }
    }
    return true;
}

bool HeldIndexing::catchUp(QString *error)
{
    while (!m_held.isEmpty()) {
        const ContainsIndex::Indexed *ix = m_held.first();
        const QString &table = ix->table;
        const QString columns = ix->columns.join(QStringLiteral(", "));
        const QString noted = notedTable(table);
        // "insert or replace": a noted row that an update in the meantime already indexed
        // (the update trigger stays) gets its entry replaced by the same texts.
        const QStringList statements = {
            QStringLiteral("insert or replace into %1 (rowid, %2) select rowid, %2 from %3 where "
                           "rowid in (select 行 from temp.%4)")
                .arg(ContainsIndex::ftsTable(table), columns, table, noted),
            QStringLiteral("drop trigger temp.%1").arg(notingTrigger(table)),
            QStringLiteral("delete from temp.%1").arg(noted),
            ContainsIndex::embeddedInsertTrigger(*ix),
        };
        for (const QString &sql : statements) {
            if (!run(m_db, sql, error))
                return false;
        }
        m_held.removeFirst();
    }
    return true;
}
