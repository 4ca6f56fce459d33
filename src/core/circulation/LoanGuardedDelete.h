#pragma once

#include "db/Statement.h"

#include <QString>
#include <QVariant>

// Deletes one row (a reader, a book) unless loans still out refer to it. The loans are counted
// and the row deleted in one transaction that holds 借出记录, so no lending can slip in
// between the count and the deletion.
struct LoanGuardedDelete {
    QString table;
    QString keyColumn;
    QVariant key;
    Statement openLoans; // "select count(*) from 借出记录 where …": the loans that keep the row

    enum class Outcome { Deleted, StillOnLoan, NotFound, Failed };
    // openCount: the loans counted; error: the database's text when Failed.
    Outcome run(qlonglong *openCount, QString *error) const;
};
