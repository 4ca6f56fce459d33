#include "SqlDialect.h"

#include "LoginContext.h"

SqlDialect dialectFromIni(const QString &abc)
{
    if (abc == QLatin1String("a"))
        return SqlDialect::Embedded;
    if (abc == QLatin1String("s"))
        return SqlDialect::Server;
    return SqlDialect::Unknown;
}

QString dialectToIni(SqlDialect dialect)
{
    switch (dialect) {
    case SqlDialect::Embedded:
        return QStringLiteral("a");
    case SqlDialect::Server:
        return QStringLiteral("s");
    case SqlDialect::Unknown:
        break;
    }
    return QString();
}

QString StringQuote(SqlDialect dialect)
{
    return dialect == SqlDialect::Unknown ? QString() : QStringLiteral("'");
}

QString DateQuote(SqlDialect dialect)
{
    return dialect == SqlDialect::Unknown ? QString() : QStringLiteral("'");
}

QString QuoteEscape(const QString &value, SqlDialect dialect)
{
    const QString quote = StringQuote(dialect);
    if (quote.isEmpty())
        return value;
    QString escaped = value;
    return escaped.replace(quote, quote + quote);
}

QString StringQuote()
{
    return StringQuote(loginContext().dialect);
}
QString DateQuote()
{
    return DateQuote(loginContext().dialect);
}
QString QuoteEscape(const QString &value)
{
    return QuoteEscape(value, loginContext().dialect);
}

QString textLiteral(const QString &value)
{
    // Statements shown as text always use the quote both databases read.
    return QLatin1Char('\'') + QuoteEscape(value, SqlDialect::Server) + QLatin1Char('\'');
}

QString dateLiteral(const QDate &date)
{
    return QLatin1Char('\'') + date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\'');
}

QString dateTimeLiteral(const QDateTime &moment)
{
    return QLatin1Char('\'') + moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QLatin1Char('\'');
}

QString limitClause(int rows)
{
    return QStringLiteral(" limit %1").arg(rows);
}
