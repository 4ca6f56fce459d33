#include "BorrowPickers.h"

#include "db/RowOrder.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"
#include "search/ContainsIndex.h"

#include <functional>

namespace BorrowPickers {

namespace {

const QString kReaders = QStringLiteral("读者库");

QString selectList(const QStringList &columns, const QString &table)
{
    return QStringLiteral("select ") + columns.join(QLatin1Char(',')) + QStringLiteral(" from ") +
           table;
}

// "select … from table where (first contains text) or (second contains text)", in the order
// of entry.
Statement containsEither(const QStringList &columns, const QString &table, const QString &first,
                         const QString &second, const QString &text)
{
    Statement st(selectList(columns, table) + QStringLiteral(" where ("));
    ContainsIndex::appendContains(st, table, first, text);
    st.text(QStringLiteral(") or ("));
    ContainsIndex::appendContains(st, table, second, text);
    st.text(QStringLiteral(")") + RowOrder::entryOrderBy(table));
    return st;
}

Statement containsOne(const QStringList &columns, const QString &table, const QString &column,
                      const QString &text)
{
    Statement st(selectList(columns, table) + QStringLiteral(" where "));
    ContainsIndex::appendContains(st, table, column, text);
    st.text(RowOrder::entryOrderBy(table));
    return st;
}

Statement firstRows(const QStringList &columns, const QString &table)
{
    return Statement(selectList(columns, table) + RowOrder::entryOrderBy(table) +
                     limitClause(kFirstRows));
}

ItemQuery itemQuery(const QString &kind, const std::function<Statement(const QString &)> &make)
{
    ItemQuery out;
    const QString table = itemTable(kind);
    if (table.isEmpty()) {
        out.message =
            QStringLiteral("物品类别“%1”不对, 只能是“图书”或者“期刊”!").arg(kind.trimmed());
        return out;
    }
    out.statement = make(table);
    out.ok = true;
    return out;
}

} // namespace

QStringList readerColumns()
{
    return {QStringLiteral("读者编号"),     QStringLiteral("读者姓名"), QStringLiteral("性别"),
            QStringLiteral("单位部门"),     QStringLiteral("联系电话"), QStringLiteral("类别"),
            QStringLiteral("住址"),         QStringLiteral("有效证件"), QStringLiteral("证件号码"),
            QStringLiteral("累计借阅次数"), QStringLiteral("未还数量"), QStringLiteral("登记日期"),
            QStringLiteral("有效期"),       QStringLiteral("状态"),     QStringLiteral("备注"),
            QStringLiteral("密码"),         QStringLiteral("卡内金额"), QStringLiteral("登记人")};
}

Statement readerFirstList()
{
    return firstRows(readerColumns(), kReaders);
}

Statement readersByName(const QString &text)
{
    return containsEither(readerColumns(), kReaders, QStringLiteral("读者姓名"),
                          QStringLiteral("py"), text);
}

Statement readersByNumber(const QString &text)
{
    return containsOne(readerColumns(), kReaders, QStringLiteral("读者编号"), text);
}

QStringList itemColumns()
{
    return {QStringLiteral("编号"),   QStringLiteral("名称"),     QStringLiteral("分类"),
            QStringLiteral("条形码"), QStringLiteral("存放位置"), QStringLiteral("出版社")};
}

QString itemTable(const QString &kind)
{
    // Only the two item tables; the name comes from the schema, never from the caller.
    const QString k = kind.trimmed();
    if (k != QStringLiteral("图书") && k != QStringLiteral("期刊"))
        return QString();
    const Schema::Table *t = Schema::findTable(k);
    return t ? t->name : QString();
}

ItemQuery itemFirstList(const QString &kind)
{
    return itemQuery(kind, [](const QString &table) { return firstRows(itemColumns(), table); });
}

ItemQuery itemsByName(const QString &kind, const QString &text)
{
    return itemQuery(kind, [&text](const QString &table) {
        return containsEither(itemColumns(), table, QStringLiteral("名称"), QStringLiteral("py"),
                              text);
    });
}

ItemQuery itemsByNumber(const QString &kind, const QString &text)
{
    return itemQuery(kind, [&text](const QString &table) {
        return containsOne(itemColumns(), table, QStringLiteral("编号"), text);
    });
}

QString chosenItemValue(const QString &number, const QString &barcode, bool byBarcode)
{
    if (!byBarcode)
        return number;
    return barcode == QStringLiteral("n") ? QString() : barcode;
}

} // namespace BorrowPickers
