#pragma once

#include "db/Statement.h"

#include <QDate>
#include <QString>
#include <QStringList>

// What the import of one table makes of a sheet row. The row loop (ImportLoop) reads the
// sheet, gives each row its number and hands the row to the mapping; the mapping says
// whether to write it and with which statement.
struct MappedRow {
    enum class Action {
        Write,  // run the statement
        Refuse, // count the row as failed without running it (refusal says why)
        Skip,   // neither import nor count the row, go on with the next one
        Stop,   // end the import before this row; it and the rows below are not counted
    };
    Action action = Action::Write;
    Statement statement;
    // The two values a failed row is listed with in the result box.
    QString firstKey;
    QString secondKey;
    QString refusal;
};

// What the rows of one import have in common: the day of the import (the default of its
// dates) and the administrator who runs it.
struct ImportContext {
    QDate today;
    QString adminName;
};

class ImportMapping {
public:
    virtual ~ImportMapping() = default;

    // The target items, in sheet column order ("数据库字段名", list B of the window).
    virtual QStringList targetItems() const = 0;
    // Whether the import takes the numbering options (the loan import does not).
    virtual bool takesNumbers() const { return true; }
    // Makes the row's statement. cells: the row's texts, as many as the sheet has columns;
    // number: the row's number as the numbering options made it (column 1 without options).
    virtual MappedRow map(const QStringList &cells, const QString &number,
                          const ImportContext &context) const = 0;
};
