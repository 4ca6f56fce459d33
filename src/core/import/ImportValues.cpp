#include "ImportValues.h"

#include "db/Money.h"
#include "db/Statement.h"

#include <QRegularExpression>

namespace ImportValues {

QString nonNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QString cell(const QStringList &cells, int i)
{
    return nonNull(cells.value(i));
}

QString orDefault(const QString &text, const QString &fallback)
{
    return text.isEmpty() ? fallback : text;
}

int integerOr(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : fallback;
}

QVariant money(const QString &text)
{
    return Money::parse(text).value_or(Money()).toSql();
}

QDate dateOf(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4})([-/])(\\d{1,2})\\2(\\d{1,2})(?:[ T]+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return QDate();
    const QDate date(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    if (!date.isValid())
        return QDate();
    if (m.capturedLength(5) > 0) {
        const QTime time(m.captured(5).toInt(), m.captured(6).toInt(),
                         m.capturedLength(7) > 0 ? m.captured(7).toInt() : 0);
        if (!time.isValid())
            return QDate();
    }
    return date;
}

QVariant dateOr(const QString &text, const QDate &fallback)
{
    const QDate date = dateOf(text);
    return sqlDate(date.isValid() ? date : fallback);
}

int pagesOf(const QString &text, bool *ok)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d+)\\s*(?:页|[pP]\\.?|[pP]{2}\\.?|pages?|Pages?)?$"));
    const QString trimmed = text.trimmed();
    *ok = true;
    if (trimmed.isEmpty())
        return 0;
    const QRegularExpressionMatch m = pattern.match(trimmed);
    if (m.hasMatch()) {
        const int pages = m.captured(1).toInt(ok);
        if (*ok)
            return pages;
    }
    *ok = false;
    return 0;
}

} // namespace ImportValues
