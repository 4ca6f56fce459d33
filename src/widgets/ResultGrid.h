#pragma once

#include "db/Statement.h"

#include <QSqlRecord>
#include <QVector>
#include <QWidget>

class QTableView;

// The one result grid of the program: a read-only, whole-row-selecting table over the rows
// of a statement, with column captions, hidden columns that stay loaded, formats, footer
// totals under chosen columns, sorting by a click on a column title, a per-column filter of
// the shown rows, and a current row that other windows read and write back through.
// Rows are fetched lazily; footer totals come from one aggregate statement over the same
// rows, the sums read on a worker thread after the first rows show; sorting and filtering
// are done by the statement.
class ResultGrid : public QWidget {
    Q_OBJECT
public:
    enum class Format { Auto, Text, Money, Date, DateTime, Number };
    enum class Footer { None, Count, Sum, SumWhole };

    struct Column {
        QString field;   // column name in the result
        QString caption; // title shown; empty = the field name
        Format format = Format::Auto;
        Footer footer = Footer::None;
        bool visible = true;
    };

    explicit ResultGrid(QWidget *parent = nullptr);
    ~ResultGrid() override;

    // Columns to show, in order. Without a call every column of the result is shown under
    // its own name. Fields of the result not listed stay loaded and readable by value().
    void setColumns(const QVector<Column> &columns);
    // The key column that identifies a row (used to keep the current row over a refresh).
    void setKeyField(const QString &field);
    // The column whose order the lines keep until the user sorts (see GridQuery).
    void setNaturalOrder(const QString &field);
    void setSortingEnabled(bool enabled);
    void setFilterEnabled(bool enabled);

    // Runs the statement and shows its rows. On failure shows nothing and returns false with
    // the database's message.
    bool setStatement(const Statement &statement, QString *error = nullptr);
    // Runs the same statement again, keeping the current row where its key still exists.
    bool refresh(QString *error = nullptr);
    // Empties the grid (no statement).
    void clear();

    int rowCount() const;   // rows of the result after the filter (all of them, not the loaded)
    int currentRow() const; // -1 when there is none
    void setCurrentRow(int row);
    QVariant value(int row, const QString &field) const;
    QVariant currentValue(const QString &field) const;
    QSqlRecord record(int row) const;
    QSqlRecord currentRecord() const;
    // Field names of the result, in order.
    QStringList fieldNames() const;
    // The visible columns as shown, for printing and exporting.
    QVector<Column> visibleColumns() const;
    // The text a cell shows (formatted), by row and field.
    QString displayText(int row, const QString &field) const;
    // The footer text under a field: the row count ("12"), or the sum ("1234.50" under a
    // money column, "1234" for a whole sum); empty for a column without a footer. Waits for
    // sums that are still being read (see waitForTotals()).
    QString footerText(const QString &field) const;
    // The row count is known with the first rows; the footer sums, which read every row of
    // the result, are read on a worker thread and shown when they are ready (the footer leaves
    // their cells empty meanwhile). Whether they are still being read:
    bool totalsPending() const;
    // Blocks until the sums of the current result are read and shown (at once when they are).
    void waitForTotals();
    // The statement that the grid shows now, with the sort and the filter applied.
    Statement currentStatement() const;

    QTableView *view() const;

    // Sorting and filtering, as the user does them through the column titles (a click sorts,
    // the title's context menu filters). An unknown field gives an error and changes nothing.
    bool sortBy(const QString &field, Qt::SortOrder order = Qt::AscendingOrder,
                QString *error = nullptr);
    // Shows only the rows whose field equals value (a NULL value: the empty ones).
    bool setColumnFilter(const QString &field, const QVariant &value, QString *error = nullptr);
    // Shows only the rows whose field contains text (ASCII letters in any case).
    bool setColumnFilterContains(const QString &field, const QString &text,
                                 QString *error = nullptr);
    void clearColumnFilter(const QString &field);
    void clearFilters();
    // The distinct values of a column that its filter menu offers (under the other filters).
    QVariantList filterValues(const QString &field, int limit = 50) const;

signals:
    void currentRowChanged(int row);
    void rowActivated(int row); // double click or Enter on a row

private:
    class Private;
    Private *d;
};
