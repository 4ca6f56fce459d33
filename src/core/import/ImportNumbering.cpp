#include "ImportNumbering.h"

namespace {

QString minuteText(const QDateTime &now)
{
    return now.toString(QStringLiteral("yyMMddhhmm"));
}

constexpr int kMaxStartDigits = 18;

} // namespace

ImportNumbering::ImportNumbering(bool random, bool fromStart, std::int64_t start)
    : m_random(random)
    , m_fromStart(fromStart)
    , m_start(start)
    , m_running(start - 1)
{}

QString ImportNumbering::next(int row, const QString &column1, const QDateTime &now)
{
    if (m_random) {
        // Ten digits and the row number: far within 64 bits.
        const std::int64_t number =
            (minuteText(now) + QString::number(row)).toLongLong() + (m_fromStart ? 1 : 0);
        return QString::number(number);
    }
    if (m_fromStart) {
        ++m_running;
        return QString::number(m_running);
    }
    return column1;
}

std::int64_t ImportNumbering::defaultStart(const QDateTime &now)
{
    return minuteText(now).toLongLong();
}

bool ImportNumbering::parseStart(const QString &text, std::int64_t *start, QString *error)
{
    const QString digits = text.trimmed();
    bool allDigits = !digits.isEmpty();
    for (const QChar c : digits)
        allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!allDigits || digits.size() > kMaxStartDigits) {
        if (error)
            *error =
                QStringLiteral("起始编号只能是数字,最多%1位: %2").arg(kMaxStartDigits).arg(text);
        return false;
    }
    *start = digits.toLongLong();
    return true;
}
