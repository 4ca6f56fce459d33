#pragma once

#include "db/Statement.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The statements behind a result grid. The grid shows the rows of a base statement; sorting,
// filtering, paging and the footer totals are done by wrapping that statement:
//
//   select * from (<base>) t where <filters> order by <sort> limit N offset M
//   select count(*), sum("价格"), sum("数量") from (<base>) t where <filters>
//
// An order at the end of the base ("... order by 1,2") is left out where it cannot count:
// in the totals and the distinct values, and when the rows are sorted outside. Counting the
// rows of an ordered sub-select would read every row in that order first.
//
// Column names for sort and filter come from the user's choice; they enter the SQL text only
// after they were found among the real field names of the base result, and then quoted.
class GridQuery {
public:
    enum class FilterKind {
        Equals,   // the column equals a value (NULL matches "is null")
        Contains, // the column's text contains a text, ignoring ASCII case
    };
    struct Filter {
        QString field; // real field name
        FilterKind kind = FilterKind::Equals;
        QVariant value;
    };

    GridQuery() = default;
    explicit GridQuery(const Statement &base);

    // A new base statement drops the sort, the filters and the known field names.
    void setBase(const Statement &base);
    const Statement &base() const { return m_base; }
    bool hasBase() const { return !m_base.sql().isEmpty(); }

    // The field names of the base result, as the database reports them (see probe()).
    void setFieldNames(const QStringList &names) { m_fields = names; }
    const QStringList &fieldNames() const { return m_fields; }
    // The real field name for a name given in any letter case, or an empty text.
    QString resolveField(const QString &name) const;

    bool setSort(const QString &field, Qt::SortOrder order, QString *error = nullptr);
    void clearSort() { m_sortField.clear(); }
    QString sortField() const { return m_sortField; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // A second sort column that makes the order of equal values stable between pages.
    void setTieBreaker(const QString &field) { m_tieBreaker = field; }
    // The column whose order the rows keep while the user has chosen no sort (a list's
    // insertion number); rows where it is NULL (a line being added) come last. It stays
    // when the base statement changes.
    void setNaturalOrder(const QString &field) { m_naturalOrder = field; }

    // Sets the filter of one column, replacing the one it had.
    bool setFilter(const QString &field, FilterKind kind, const QVariant &value,
                   QString *error = nullptr);
    void removeFilter(const QString &field);
    void clearFilters() { m_filters.clear(); }
    // After the field names were read again: drops a sort or filters whose columns are gone.
    void dropUnknownColumns();
    const QVector<Filter> &filters() const { return m_filters; }
    const Filter *filterOf(const QString &field) const;

    // A statement that returns no rows but the base's fields.
    Statement probe() const;
    // Every row after filter and sort.
    Statement rows() const;
    Statement page(qint64 offset, int limit) const;
    // Whether the rows have an order that can be read backwards: a sort, made total by the
    // tie-breaker (a key column), so that both directions give the same sequence.
    bool canReverse() const;
    // The same rows read from the other end: the page at offset counted from the last row,
    // in reverse order. Reading the end of a long sorted result this way costs what reading
    // its beginning costs.
    Statement reversedPage(qint64 offsetFromEnd, int limit) const;
    // One row: count(*) followed by sum(f) of each field, after the filter.
    Statement totals(const QStringList &sumFields) const;
    // The distinct values of a column after the other columns' filters, sorted.
    Statement distinctValues(const QString &field, int limit) const;

    // Runs totals(): the row count and one sum per field (NULL when there are no rows).
    bool loadTotals(const QStringList &sumFields, qint64 *count, QVariantList *sums,
                    QString *error = nullptr) const;
    // Reads the row of a totals() statement that ran: the count and sumCount sums.
    static bool readTotals(QSqlQuery &q, int sumCount, qint64 *count, QVariantList *sums,
                           QString *error = nullptr);
    // Runs probe() and stores the field names.
    bool loadFieldNames(QString *error = nullptr);

    static QString quoteIdentifier(const QString &name);
    // The statement text without an "order by <columns>" at its end (outside parentheses and
    // quotes, with nothing after it but the columns and their directions); otherwise the text
    // as it is.
    static QString withoutTrailingOrder(const QString &sql);

private:
    Statement wrapped(const QString &selectList, const QString &skipFilterOf = QString(),
                      bool keepBaseOrder = false) const;
    QString orderClause(bool reversed = false) const;

    Statement m_base;
    QString m_unorderedBase; // the base's text without the order at its end
    QStringList m_fields;
    QString m_sortField;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_tieBreaker;
    QString m_naturalOrder;
    QVector<Filter> m_filters;
};
