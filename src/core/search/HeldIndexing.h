#pragma once

#include "ContainsIndex.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>

// Indexes the rows that many inserts add to a table with a "contains" index (ContainsIndex)
// together instead of one by one, on the embedded database.
//
// The index's insert trigger indexes each row as it comes, and the index writes out its pending
// entries at the end of every statement and savepoint: a row-by-row import spends most of its
// time there. Inside the caller's transaction, hold() replaces each insert trigger by a
// temporary one that only notes the new row's rowid, and catchUp() indexes the noted rows in one
// statement per table and puts the insert triggers back. Both are part of the transaction: no
// other workstation ever sees a table without its trigger (the transaction holds the write lock
// and its schema change is invisible until the commit), and a rollback undoes them together
// with the rows. Updates and deletes keep their triggers throughout.
//
//   begin transaction; held.hold(); inserts...; held.catchUp(); commit
//
// On the server, or where an index is not built, hold() does nothing.
class HeldIndexing {
public:
    explicit HeldIndexing(QSqlDatabase db);

    // Holds the indexing of every built index. False with the database's message when a
    // trigger could not be replaced; the caller then rolls back.
    bool hold(QString *error = nullptr);
    // Indexes the rows inserted since hold() and restores the insert triggers. False with the
    // database's message; the caller then rolls back, which restores the triggers too.
    bool catchUp(QString *error = nullptr);
    // Forgets the hold after the caller rolled its transaction back (which undid it).
    void forget() { m_held.clear(); }
    bool isHolding() const { return !m_held.isEmpty(); }

private:
    QSqlDatabase m_db;
    // The indexes whose insert trigger is replaced (entries of ContainsIndex::indexed()).
    QVector<const ContainsIndex::Indexed *> m_held;
};
