#pragma once

#include "ResultGrid.h"
#include "grid/CellFormat.h"

#include <QAbstractTableModel>

class GridRows;

// The table model of ResultGrid: one model column per configured column (hidden ones
// included) followed by the fields nobody listed, each pointing at a field of the rows.
// Values are read from GridRows, which loads their page on first use.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        ResultGrid::Column setup;
        int field = -1;     // index in the result's record
        QString filterText; // how the column is filtered now, empty for none
    };

    explicit ResultGridModel(QObject *parent = nullptr);

    // Shows the rows with these columns; nullptr shows nothing.
    void reset(const GridRows *rows, const QVector<Column> &columns);
    const QVector<Column> &columns() const { return m_columns; }
    void setFilterText(int column, const QString &text);
    int columnOfField(const QString &field) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    static CellFormat cellFormat(ResultGrid::Format format);

private:
    const GridRows *m_rows = nullptr;
    QVector<Column> m_columns;
};
