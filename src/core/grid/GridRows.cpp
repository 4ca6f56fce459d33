#include "GridRows.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

bool GridRows::open(GridQuery *query, const QStringList &sumFields, QString *error, Sums sums)
{
    clear();
    if (!query || !query->hasBase()) {
        if (error)
            *error = QStringLiteral("没有查询语句");
        return false;
    }
    QString message;
    if (!query->loadFieldNames(&message)) {
        if (error)
            *error = message;
        return false;
    }
    query->dropUnknownColumns();
    m_query = query;
    m_sumFields = sumFields;
    m_sumsTiming = sums;
    if (!reload(&message)) {
        clear();
        if (error)
            *error = message;
        return false;
    }
    return true;
}

bool GridRows::reload(QString *error)
{
    m_failed.clear();
    m_pages.clear();
    m_recent.clear();
    m_error.clear();
    if (!m_query)
        return false;
    QString message;
    m_sums.clear();
    m_sumsKnown = false;
    const bool sumsNow = m_sumsTiming == Sums::Now;
    // The count first: the pages need it (the last page is read from the end). The first page
    // also gives the layout with the types of the values.
    if (!m_query->loadTotals(sumsNow ? m_sumFields : QStringList(), &m_count,
                             sumsNow ? &m_sums : nullptr, &message) ||
        !loadPage(0, &message)) {
        m_count = 0;
        m_sums.clear();
        m_pages.clear();
        m_recent.clear();
        m_error = message;
        if (error)
            *error = message;
        return false;
    }
    m_sumsKnown = sumsNow || m_sumFields.isEmpty();
    return true;
}

void GridRows::setSums(const QVariantList &sums)
{
    m_sums = sums;
    m_sumsKnown = true;
}

void GridRows::clear()
{
    m_query = nullptr;
    m_sumFields.clear();
    m_sums.clear();
    m_sumsKnown = false;
    m_count = 0;
    m_layout = QSqlRecord();
    m_pages.clear();
    m_recent.clear();
    m_error.clear();
}

QVariant GridRows::sum(const QString &field) const
{
    for (int i = 0; i < m_sumFields.size() && i < m_sums.size(); ++i) {
        if (m_sumFields[i].compare(field, Qt::CaseInsensitive) == 0)
            return m_sums[i];
    }
    return QVariant();
}

bool GridRows::loadPage(qint64 page, QString *error) const
{
    const qint64 start = page * kPageSize;
    const qint64 end = qMin(start + kPageSize, m_count);
    // A page in the second half of a sorted result is read from the end, backwards.
    const bool reversed = page > 0 && m_query->canReverse() && start > m_count / 2 && end > start;
    QSqlQuery q = reversed ? m_query->reversedPage(m_count - end, int(end - start)).exec()
                           : m_query->page(start, kPageSize).exec();
    if (q.lastError().isValid() || !q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        m_failed.insert(page);
        return false;
    }
    if (page == 0)
        m_layout = q.record();
    const int columns = q.record().count();
    QVector<Row> rows;
    rows.reserve(kPageSize);
    while (q.next()) {
        Row r(columns);
        for (int c = 0; c < columns; ++c)
            r[c] = q.value(c);
        rows.append(r);
    }
    if (reversed)
        std::reverse(rows.begin(), rows.end());
    m_pages.insert(page, rows);
    m_recent.removeAll(page);
    m_recent.append(page);
    while (m_recent.size() > kCachedPages)
        m_pages.remove(m_recent.takeFirst());
    return true;
}

const QVector<GridRows::Row> *GridRows::pageOf(qint64 row) const
{
    if (!m_query || row < 0 || row >= m_count)
        return nullptr;
    const qint64 page = row / kPageSize;
    auto it = m_pages.constFind(page);
    if (it == m_pages.constEnd()) {
        // A page that failed is not asked for again at every cell the view paints.
        if (m_failed.contains(page))
            return nullptr;
        if (!loadPage(page, &m_error))
            return nullptr;
        it = m_pages.constFind(page);
    } else if (m_recent.last() != page) {
        m_recent.removeAll(page);
        m_recent.append(page);
    }
    return &it.value();
}

QVariant GridRows::value(qint64 row, int column) const
{
    const QVector<Row> *rows = pageOf(row);
    const qint64 index = row % kPageSize;
    if (!rows || index >= rows->size() || column < 0 || column >= (*rows)[index].size())
        return QVariant();
    return (*rows)[index][column];
}

QSqlRecord GridRows::record(qint64 row) const
{
    QSqlRecord rec = m_layout;
    const QVector<Row> *rows = pageOf(row);
    const qint64 index = row % kPageSize;
    if (!rows || index >= rows->size()) {
        rec.clearValues();
        return rec;
    }
    const Row &r = (*rows)[index];
    for (int c = 0; c < r.size() && c < rec.count(); ++c)
        rec.setValue(c, r[c]);
    return rec;
}

bool GridRows::isLoaded(qint64 row) const
{
    return m_pages.contains(row / kPageSize);
}

qint64 GridRows::findLoaded(int column, const QVariant &value) const
{
    QList<qint64> pages = m_pages.keys();
    std::sort(pages.begin(), pages.end());
    for (qint64 p : pages) {
        const QVector<Row> &rows = m_pages[p];
        for (int i = 0; i < rows.size(); ++i) {
            if (column < rows[i].size() && rows[i][column] == value)
                return p * kPageSize + i;
        }
    }
    return -1;
}
