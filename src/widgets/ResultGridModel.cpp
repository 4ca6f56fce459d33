#include "ResultGridModel.h"

#include "grid/GridRows.h"

#include <limits>

ResultGridModel::ResultGridModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

CellFormat ResultGridModel::cellFormat(ResultGrid::Format format)
{
    switch (format) {
    case ResultGrid::Format::Auto:
        return CellFormat::Auto;
    case ResultGrid::Format::Text:
        return CellFormat::Text;
    case ResultGrid::Format::Money:
        return CellFormat::Money;
    case ResultGrid::Format::Date:
        return CellFormat::Date;
    case ResultGrid::Format::DateTime:
        return CellFormat::DateTime;
    case ResultGrid::Format::Number:
        return CellFormat::Number;
    }
    return CellFormat::Auto;
}

void ResultGridModel::reset(const GridRows *rows, const QVector<Column> &columns)
{
    beginResetModel();
    m_rows = rows;
    m_columns = columns;
    endResetModel();
}

void ResultGridModel::setFilterText(int column, const QString &text)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].filterText = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int ResultGridModel::columnOfField(const QString &field) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].setup.field == field)
            return i;
    }
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].setup.field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int ResultGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_rows)
        return 0;
    return int(qMin<qint64>(m_rows->count(), std::numeric_limits<int>::max()));
}

int ResultGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.size();
}

QVariant ResultGridModel::data(const QModelIndex &index, int role) const
{
    if (!m_rows || !index.isValid() || index.column() >= m_columns.size())
        return QVariant();
    const Column &c = m_columns[index.column()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return CellText::format(m_rows->value(index.row(), c.field), cellFormat(c.setup.format));
    case Qt::EditRole:
        return m_rows->value(index.row(), c.field);
    case Qt::TextAlignmentRole: {
        const bool right = CellText::isRightAligned(m_rows->value(index.row(), c.field),
                                                    cellFormat(c.setup.format));
        return int((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    default:
        return QVariant();
    }
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return QVariant();
    }
    if (section < 0 || section >= m_columns.size())
        return QVariant();
    const Column &c = m_columns[section];
    const QString caption = c.setup.caption.isEmpty() ? c.setup.field : c.setup.caption;
    switch (role) {
    case Qt::DisplayRole:
        // A filtered column says so in its title.
        return c.filterText.isEmpty() ? caption : caption + QStringLiteral(" ▼");
    case Qt::ToolTipRole:
        return c.filterText.isEmpty() ? caption
                                      : caption + QStringLiteral("\n筛选：") + c.filterText;
    default:
        return QVariant();
    }
}

Qt::ItemFlags ResultGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}
