#pragma once

#include <QString>
#include <QVariant>
#include <deque>

// One worksheet as the imports see it: the used range from row 1 and column 1. Cells hold
// QString (texts), qlonglong (whole numbers), double, bool, QDate / QDateTime (numbers under a
// date format) or an invalid QVariant (empty cell). Only cells with a value are stored, so a
// lone far-away cell costs no more than a near one.
struct SheetData {
    struct Cell {
        int row; // 0-based
        int column;
        QVariant value;
    };

    SheetData() = default;
    // A sheet of these cells, given in any order. Of two cells at one place the later one
    // counts; empty values (invalid, or empty text) are left out.
    SheetData(const QString &name, std::deque<Cell> cells);

    QString name;
    int columnCount = 0;

    int rowCount() const { return m_rowCount; }
    // 0-based; an empty variant outside the used range.
    QVariant cell(int row, int column) const;
    // The cells of a row (0-based) from the first column to its last value: shorter than
    // columnCount when the row ends early, empty for an empty row.
    QVariantList row(int row) const;
    // How many cells hold a value.
    int valueCount() const { return int(m_cells.size()); }

private:
    std::deque<Cell> m_cells; // by row, then column
    int m_rowCount = 0;
};
