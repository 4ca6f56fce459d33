#include "LoanImport.h"

#include "ImportValues.h"

using namespace ImportValues;

QStringList LoanImport::targetItems() const
{
    return {
        QStringLiteral("读者编号"), QStringLiteral("读者卡号CardId"), QStringLiteral("读者姓名"),
        QStringLiteral("条形码"),   QStringLiteral("编号"),           QStringLiteral("名称"),
        QStringLiteral("类别"),     QStringLiteral("物品级别"),       QStringLiteral("价格"),
        QStringLiteral("附件"),     QStringLiteral("借阅日期"),       QStringLiteral("归还日期"),
        QStringLiteral("应还日期"), QStringLiteral("已还"),           QStringLiteral("租金"),
        QStringLiteral("押金"),     QStringLiteral("罚金"),           QStringLiteral("实际租期"),
        QStringLiteral("实际租金"), QStringLiteral("借阅经手人"),     QStringLiteral("归还经手人"),
        QStringLiteral("物品状况"), QStringLiteral("赔偿金额"),       QStringLiteral("归还备注")};
}

namespace {

// The insert of every row: the same text for all, prepared once by the batch.
const QString &insertText()
{
    static const QString text =
        Statement::insert(QStringLiteral("借出记录"),
                          QStringList{QStringLiteral("读者编号"),   QStringLiteral("cardId"),
                                      QStringLiteral("读者姓名"),   QStringLiteral("条形码"),
                                      QStringLiteral("编号"),       QStringLiteral("名称"),
                                      QStringLiteral("类别"),       QStringLiteral("物品级别"),
                                      QStringLiteral("价格"),       QStringLiteral("附件"),
                                      QStringLiteral("借阅日期"),   QStringLiteral("归还日期"),
                                      QStringLiteral("应还日期"),   QStringLiteral("已还"),
                                      QStringLiteral("租金"),       QStringLiteral("押金"),
                                      QStringLiteral("罚金"),       QStringLiteral("实际租期"),
                                      QStringLiteral("实际租金"),   QStringLiteral("借阅经手人"),
                                      QStringLiteral("归还经手人"), QStringLiteral("物品状况"),
                                      QStringLiteral("赔偿金额"),   QStringLiteral("归还备注")},
                          QVariantList(24))
            .sql();
    return text;
}

} // namespace

MappedRow LoanImport::map(const QStringList &cells, const QString &, const ImportContext &) const
{
    auto c = [&cells](int column) { return nonNull(cell(cells, column - 1).trimmed()); };
    const QString number = c(5);
    const QString name = c(6);

    MappedRow row;
    row.firstKey = c(1);
    row.secondKey = name;
    if (number.isEmpty() || name.isEmpty()) {
        row.action = MappedRow::Action::Skip;
        return row;
    }
    row.statement = Statement(
        insertText(), {c(1),
                       orDefault(c(2), QStringLiteral("n")),
                       c(3),
                       c(4),
                       number,
                       name,
                       orDefault(c(7), QStringLiteral("图书")),
                       orDefault(c(8), QStringLiteral("普通")),
                       money(c(9)),
                       orDefault(c(10), QStringLiteral("n")),
                       dateOr(c(11), QDate(1999, 1, 1)),
                       dateOr(c(12), QDate(2000, 1, 1)),
                       dateOr(c(13), QDate(2000, 2, 1)),
                       c(14) == QStringLiteral("是") ? QStringLiteral("是") : QStringLiteral("否"),
                       money(c(15)),
                       money(c(16)),
                       money(c(17)),
                       integerOr(c(18), 0),
                       money(c(19)),
                       c(20),
                       c(21),
                       c(22),
                       money(c(23)),
                       c(24)});
    return row;
}
