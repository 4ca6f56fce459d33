#include "SheetData.h"

#include <algorithm>

namespace {

bool before(const SheetData::Cell &a, const SheetData::Cell &b)
{
    return a.row < b.row || (a.row == b.row && a.column < b.column);
}

// Compares cells with row numbers.
struct RowOrder {
    bool operator()(const SheetData::Cell &cell, int row) const { return cell.row < row; }
    bool operator()(int row, const SheetData::Cell &cell) const { return row < cell.row; }
};

bool isEmptyValue(const QVariant &value)
{
    return !value.isValid() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

} // namespace

SheetData::SheetData(const QString &sheetName, std::deque<Cell> cells)
    : name(sheetName)
{
    if (!std::is_sorted(cells.begin(), cells.end(), before))
        std::stable_sort(cells.begin(), cells.end(), before);
    size_t kept = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        Cell &c = cells[i];
        const bool replaced = i + 1 < cells.size() && !before(c, cells[i + 1]);
        if (replaced || c.row < 0 || c.column < 0 || isEmptyValue(c.value))
            continue;
        m_rowCount = c.row + 1;
        columnCount = qMax(columnCount, c.column + 1);
        if (kept != i)
            cells[kept] = std::move(c);
        ++kept;
    }
    cells.erase(cells.begin() + kept, cells.end());
    m_cells = std::move(cells);
}

QVariant SheetData::cell(int row, int column) const
{
    const Cell key{row, column, QVariant()};
    const auto it = std::lower_bound(m_cells.begin(), m_cells.end(), key, before);
    if (it == m_cells.end() || it->row != row || it->column != column)
        return QVariant();
    return it->value;
}

QVariantList SheetData::row(int row) const
{
    const auto [first, end] = std::equal_range(m_cells.begin(), m_cells.end(), row, RowOrder());
    QVariantList values;
    if (first == end)
        return values;
    values.resize(std::prev(end)->column + 1);
    for (auto it = first; it != end; ++it)
        values[it->column] = it->value;
    return values;
}
