#include "GridQuery.h"

#include "db/SharedConnection.h"
#include "search/ContainsIndex.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// The base statement as a sub-select: blanks and a closing semicolon taken off.
QString subSelect(const QString &sql)
{
    QString s = sql.trimmed();
    while (s.endsWith(QLatin1Char(';')))
        s = s.chopped(1).trimmed();
    return s;
}

} // namespace

GridQuery::GridQuery(const Statement &base)
{
    setBase(base);
}

void GridQuery::setBase(const Statement &base)
{
    m_base = Statement(subSelect(base.sql()), base.values());
    m_unorderedBase = withoutTrailingOrder(m_base.sql());
    m_fields.clear();
    m_sortField.clear();
    m_sortOrder = Qt::AscendingOrder;
    m_filters.clear();
}

QString GridQuery::resolveField(const QString &name) const
{
    for (const QString &f : m_fields) {
        if (f == name)
            return f;
    }
    for (const QString &f : m_fields) {
        if (f.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    }
    return QString();
}

bool GridQuery::setSort(const QString &field, Qt::SortOrder order, QString *error)
{
    const QString real = resolveField(field);
    if (real.isEmpty()) {
        if (error)
            *error = QStringLiteral("结果中没有列“%1”，无法排序").arg(field);
        return false;
    }
    m_sortField = real;
    m_sortOrder = order;
    return true;
}

bool GridQuery::setFilter(const QString &field, FilterKind kind, const QVariant &value,
                          QString *error)
{
    const QString real = resolveField(field);
    if (real.isEmpty()) {
        if (error)
            *error = QStringLiteral("结果中没有列“%1”，无法筛选").arg(field);
        return false;
    }
    removeFilter(real);
    m_filters.append({real, kind, value});
    return true;
}

void GridQuery::removeFilter(const QString &field)
{
    const QString real = resolveField(field);
    for (int i = m_filters.size() - 1; i >= 0; --i) {
        if (m_filters[i].field == real)
            m_filters.remove(i);
    }
}

const GridQuery::Filter *GridQuery::filterOf(const QString &field) const
{
    const QString real = resolveField(field);
    for (const Filter &f : m_filters) {
        if (f.field == real)
            return &f;
    }
    return nullptr;
}

QString GridQuery::quoteIdentifier(const QString &name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString GridQuery::withoutTrailingOrder(const QString &sql)
{
    auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    int depth = 0;
    QChar quote;
    int lastOrder = -1;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar(); // a doubled quote closes and opens again
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quote = c;
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else if (depth == 0 && (i == 0 || !isWordChar(sql[i - 1])) &&
                 QStringView(sql).mid(i, 5).compare(QLatin1String("order"), Qt::CaseInsensitive) ==
                     0 &&
                 (i + 5 >= sql.size() || !isWordChar(sql[i + 5])))
            lastOrder = i;
    }
    if (lastOrder < 0)
        return sql;
    static const QRegularExpression tail(
        QStringLiteral("^order\\s+by\\s+(?:[\\w.\"]+(?:\\s+(?:asc|desc))?\\s*,\\s*)*"
                       "[\\w.\"]+(?:\\s+(?:asc|desc))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    if (!tail.match(QStringView(sql).mid(lastOrder)).hasMatch())
        return sql;
    return sql.left(lastOrder).trimmed();
}

Statement GridQuery::wrapped(const QString &selectList, const QString &skipFilterOf,
                             bool keepBaseOrder) const
{
    const QString base = keepBaseOrder ? m_base.sql() : m_unorderedBase;
    Statement st(QStringLiteral("select ") + selectList + QStringLiteral(" from (") + base +
                     QStringLiteral(") t"),
                 m_base.values());
    bool first = true;
    for (const Filter &f : m_filters) {
        if (f.field == skipFilterOf)
            continue;
        st.text(first ? QStringLiteral(" where ") : QStringLiteral(" and "));
        first = false;
        const QString column = QStringLiteral("t.") + quoteIdentifier(f.field);
        if (f.kind == FilterKind::Contains) {
            st.text(QStringLiteral("cast(") + column + QStringLiteral(" as text)") +
                    ContainsIndex::likeOperator(SharedConnection::dialect(), f.value.toString()))
                .value(ContainsIndex::likePattern(f.value.toString()))
                .text(QStringLiteral(" escape '\\'"));
        } else if (f.value.isNull() || !f.value.isValid()) {
            st.text(column + QStringLiteral(" is null"));
        } else {
            st.text(column + QStringLiteral("=")).value(f.value);
        }
    }
    return st;
}

QString GridQuery::orderClause(bool reversed) const
{
    if (m_sortField.isEmpty()) {
        const QString natural = resolveField(m_naturalOrder);
        if (natural.isEmpty())
            return QString();
        // "nulls last" rather than an "is null" term before the column: both databases read a
        // key column's index (or the table in key order) for it, where the extra term made
        // them sort every row to show the first page.
        return QStringLiteral(" order by t.") + quoteIdentifier(natural) +
               (reversed ? QStringLiteral(" desc nulls first") : QStringLiteral(" asc nulls last"));
    }
    const bool ascending = (m_sortOrder == Qt::AscendingOrder) != reversed;
    const QString dir = ascending ? QStringLiteral(" asc") : QStringLiteral(" desc");
    QString clause = QStringLiteral(" order by t.") + quoteIdentifier(m_sortField) + dir;
    const QString tie = resolveField(m_tieBreaker);
    if (!tie.isEmpty() && tie != m_sortField)
        clause += QStringLiteral(", t.") + quoteIdentifier(tie) + dir;
    return clause;
}

Statement GridQuery::probe() const
{
    return Statement(QStringLiteral("select * from (") + m_base.sql() +
                         QStringLiteral(") t limit 0"),
                     m_base.values());
}

Statement GridQuery::rows() const
{
    // Sorted outside, the base's own order is work for nothing.
    const QString order = orderClause();
    return wrapped(QStringLiteral("*"), QString(), order.isEmpty()).text(order);
}

Statement GridQuery::reversedPage(qint64 offsetFromEnd, int limit) const
{
    return wrapped(QStringLiteral("*"))
        .text(orderClause(true))
        .text(QStringLiteral(" limit %1 offset %2").arg(limit).arg(offsetFromEnd));
}

bool GridQuery::canReverse() const
{
    return !m_sortField.isEmpty() && !resolveField(m_tieBreaker).isEmpty();
}

void GridQuery::dropUnknownColumns()
{
    if (!m_sortField.isEmpty() && resolveField(m_sortField).isEmpty())
        m_sortField.clear();
    for (int i = m_filters.size() - 1; i >= 0; --i) {
        if (resolveField(m_filters[i].field).isEmpty())
            m_filters.remove(i);
    }
}

Statement GridQuery::page(qint64 offset, int limit) const
{
    return rows().text(QStringLiteral(" limit %1 offset %2").arg(limit).arg(offset));
}

Statement GridQuery::totals(const QStringList &sumFields) const
{
    QString list = QStringLiteral("count(*)");
    for (const QString &f : sumFields) {
        const QString real = resolveField(f);
        // An unknown name sums nothing rather than reaching the SQL text.
        list += real.isEmpty()
                    ? QStringLiteral(", null")
                    : QStringLiteral(", sum(t.") + quoteIdentifier(real) + QLatin1Char(')');
    }
    return wrapped(list);
}

Statement GridQuery::distinctValues(const QString &field, int limit) const
{
    const QString real = resolveField(field);
    if (real.isEmpty())
        return Statement();
    const QString column = QStringLiteral("t.") + quoteIdentifier(real);
    return wrapped(QStringLiteral("distinct ") + column, real)
        .text(QStringLiteral(" order by 1 limit %1").arg(limit));
}

bool GridQuery::loadTotals(const QStringList &sumFields, qint64 *count, QVariantList *sums,
                           QString *error) const
{
    QSqlQuery q = totals(sumFields).exec();
    return readTotals(q, int(sumFields.size()), count, sums, error);
}

bool GridQuery::readTotals(QSqlQuery &q, int sumCount, qint64 *count, QVariantList *sums,
                           QString *error)
{
    if (q.lastError().isValid() || !q.next()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    if (count)
        *count = q.value(0).toLongLong();
    if (sums) {
        sums->clear();
        for (int i = 0; i < sumCount; ++i)
            sums->append(q.value(i + 1));
    }
    return true;
}

bool GridQuery::loadFieldNames(QString *error)
{
    QSqlQuery q = probe().exec();
    if (q.lastError().isValid() || !q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    const QSqlRecord rec = q.record();
    m_fields.clear();
    for (int i = 0; i < rec.count(); ++i)
        m_fields.append(rec.fieldName(i));
    return true;
}
