#pragma once

#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

// The library's tables, their columns in table order, keys, indexes and the rows a new
// database starts with. The searches rely on the column order ("order by 1,2").
namespace Schema {

enum class ColumnType { Text, Memo, Integer, Money, Float, DateTime, YesNo, Image, AutoNumber };

struct Column {
    QString name;
    ColumnType type;
    bool key = false;
};

struct Table {
    QString name;
    QVector<Column> columns;
};

struct Index {
    QString name;
    QString table;
    QStringList columns;
};

const QVector<Table> &tables();
const QVector<Index> &indexes();
const Table *findTable(const QString &name);
// The real column name of the table (matched without regard to case), or an empty text.
// Names that come from a choice are checked here before they enter SQL text.
QString checkedColumn(const QString &table, const QString &column);

QStringList createStatements(SqlDialect dialect);
// Creates every table and index and inserts the default rows, in one transaction.
bool create(QSqlDatabase db, SqlDialect dialect, QString *error);
// True when the database holds none of the program's tables (a new, empty database).
bool isEmpty(QSqlDatabase db);

} // namespace Schema
