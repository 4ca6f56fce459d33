#include "SheetExport.h"

#include "XlsxWriter.h"
#include "db/Schema.h"
#include "db/Statement.h"

#include <QHash>
#include <QSqlRecord>

namespace SheetExport {

namespace {

using Kind = XlsxWriter::Kind;

Kind kindOf(Schema::ColumnType type)
{
    switch (type) {
    case Schema::ColumnType::Text:
    case Schema::ColumnType::Memo:
        return Kind::Text;
    case Schema::ColumnType::Integer:
    case Schema::ColumnType::Money:
    case Schema::ColumnType::Float:
    case Schema::ColumnType::YesNo:
    case Schema::ColumnType::AutoNumber:
        return Kind::Number;
    case Schema::ColumnType::DateTime:
        return Kind::DateTime;
    case Schema::ColumnType::Image:
        break;
    }
    return Kind::Auto;
}

// The kind of a result column by its name: a column of the library's tables is read the
// way that column is typed; a name that means different types in different tables, or an
// expression, is read by its values.
Kind kindOfField(const QString &field)
{
    static const QHash<QString, Kind> known = [] {
        QHash<QString, Kind> byName;
        QHash<QString, bool> ambiguous;
        for (const Schema::Table &t : Schema::tables()) {
            for (const Schema::Column &c : t.columns) {
                const QString name = c.name.toLower();
                const Kind k = kindOf(c.type);
                auto it = byName.find(name);
                if (it == byName.end())
                    byName.insert(name, k);
                else if (it.value() != k)
                    ambiguous.insert(name, true);
            }
        }
        for (auto it = ambiguous.cbegin(); it != ambiguous.cend(); ++it)
            byName.insert(it.key(), Kind::Auto);
        return byName;
    }();
    return known.value(field.toLower(), Kind::Auto);
}

} // namespace

Result writeQuery(QSqlQuery &query, int firstField, int lastField, const QString &path, int maxRows)
{
    Result result;
    if (!query.isActive()) {
        result.error = QStringLiteral("查询没有结果：") + Statement::lastError(query);
        return result;
    }
    const QSqlRecord record = query.record();
    const int count = record.count();
    const int first = qMax(0, firstField);
    const int last = lastField < 0 || lastField >= count ? count - 1 : lastField;

    QStringList titles;
    QVector<Kind> kinds;
    for (int f = first; f <= last; ++f) {
        titles << record.fieldName(f);
        kinds << kindOfField(record.fieldName(f));
    }

    XlsxWriter writer;
    if (!writer.open(path, kinds) || !writer.addHeaderRow(titles)) {
        result.error = writer.errorString();
        return result;
    }
    // Start at the first row, as a dataset moved to its first record.
    bool more = false;
    if (query.at() == QSql::BeforeFirstRow)
        more = query.next();
    else if (!query.isForwardOnly())
        more = query.first();
    else if (query.boundValues().isEmpty())
        more = query.exec(query.lastQuery()) && query.next();
    else
        more = query.exec() && query.next();

    QVariantList values;
    values.reserve(last - first + 1);
    while (more) {
        if (result.rows >= maxRows) {
            result.truncated = true;
            break;
        }
        values.clear();
        for (int f = first; f <= last; ++f)
            values.append(query.value(f));
        if (!writer.addRow(values)) {
            result.error = writer.errorString();
            writer.close();
            return result;
        }
        ++result.rows;
        more = query.next();
    }
    if (!writer.close()) {
        result.error = writer.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

Result writeTexts(const QStringList &titles, const QVector<QStringList> &rows, const QString &path)
{
    Result result;
    XlsxWriter writer;
    if (!writer.open(path) || !writer.addHeaderRow(titles)) {
        result.error = writer.errorString();
        return result;
    }
    for (const QStringList &row : rows) {
        if (!writer.addTextRow(row)) {
            result.error = writer.errorString();
            writer.close();
            return result;
        }
        ++result.rows;
    }
    if (!writer.close()) {
        result.error = writer.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace SheetExport
