#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Which database the program talks to, fixed for the run: "a" in de.ini is the embedded
// database file (SQLite), "s" the database server (PostgreSQL).
enum class SqlDialect { Embedded, Server, Unknown };

SqlDialect dialectFromIni(const QString &abc);
QString dialectToIni(SqlDialect dialect);

// Delimiters and escaping of literals for statements shown as text. Both databases use
// the single quote; for an unknown dialect the delimiters are empty.
QString StringQuote();
QString DateQuote();
QString QuoteEscape(const QString &value);
QString StringQuote(SqlDialect dialect);
QString DateQuote(SqlDialect dialect);
QString QuoteEscape(const QString &value, SqlDialect dialect);

// Literal forms: 'text' with the quote doubled, 'yyyy-mm-dd', 'yyyy-mm-dd hh:mm:ss'.
QString textLiteral(const QString &value);
QString dateLiteral(const QDate &date);
QString dateTimeLiteral(const QDateTime &moment);

// Row limit appended to a select: both databases accept "limit N" at the end.
QString limitClause(int rows);
