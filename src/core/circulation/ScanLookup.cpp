#include "ScanLookup.h"

#include "db/Schema.h"
#include "db/SqlDialect.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace ScanLookup {

namespace {

// Looks the text up in one column of one table; the names come from the fixed choices
// below and are checked against the schema all the same.
Found lookUp(const QString &kind, const QString &column, const QString &text, Item *item,
             QString *message)
{
    const QString checked = Schema::checkedColumn(kind, column);
    if (checked.isEmpty()) {
        *message = QStringLiteral("%1 中没有 %2 列.").arg(kind, column);
        return Found::Failed;
    }
    QSqlQuery q =
        Statement(QStringLiteral("select 编号, 条形码, 名称 from %1 where %2=").arg(kind, checked))
            .value(text)
            .text(limitClause(2))
            .exec();
    if (!q.isActive()) {
        *message = Statement::lastError(q);
        return Found::Failed;
    }
    if (!q.next())
        return Found::None;
    item->kind = kind;
    item->number = q.value(0).toString();
    item->barcode = q.value(1).toString();
    item->name = q.value(2).toString();
    item->column = checked;
    if (q.next()) {
        *message =
            QStringLiteral("%1 中有多个%2为 \"%3\" 的记录,请用编号.").arg(kind, checked, text);
        return Found::Several;
    }
    return Found::One;
}

} // namespace

Found item(const QString &text, Item *item, QString *message)
{
    const QString kinds[] = {QStringLiteral("图书"), QStringLiteral("期刊")};
    QStringList columns;
    // "n" stands for "no barcode": it names no item by its barcode.
    if (text != QLatin1String("n"))
        columns << QStringLiteral("条形码");
    columns << QStringLiteral("编号");
    for (const QString &column : columns) {
        for (const QString &kind : kinds) {
            const Found found = lookUp(kind, column, text, item, message);
            if (found != Found::None)
                return found;
        }
    }
    *message = QStringLiteral("没有条形码或编号为 \"%1\" 的图书或期刊.").arg(text);
    return Found::None;
}

Found reader(const QString &text, Reader *reader, QString *message)
{
    QSqlQuery q = Statement(QStringLiteral("select 读者编号, 读者姓名 from 读者库 where 读者编号="))
                      .value(text)
                      .text(QStringLiteral(" or CardId="))
                      .value(text)
                      .exec();
    if (!q.isActive()) {
        *message = Statement::lastError(q);
        return Found::Failed;
    }
    bool found = false;
    while (q.next()) {
        const QString number = q.value(0).toString();
        if (!found || number == text) {
            reader->number = number;
            reader->name = q.value(1).toString();
            found = true;
        }
        if (number == text)
            break;
    }
    if (!found) {
        *message = QStringLiteral("没有该编号/卡号的读者资料,请检查输入的是否正确!");
        return Found::None;
    }
    return Found::One;
}

} // namespace ScanLookup
