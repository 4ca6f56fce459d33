#include "BookImport.h"

#include "ImportValues.h"

using namespace ImportValues;

QStringList BookImport::targetItems() const
{
    return {QStringLiteral("编号"),     QStringLiteral("条形码"),   QStringLiteral("名称"),
            QStringLiteral("分类"),     QStringLiteral("出版社"),   QStringLiteral("作者"),
            QStringLiteral("价格"),     QStringLiteral("ISBN"),     QStringLiteral("数量"),
            QStringLiteral("存放位置"), QStringLiteral("分类号"),   QStringLiteral("简介"),
            QStringLiteral("二级分类"), QStringLiteral("出版时间"), QStringLiteral("页数"),
            QStringLiteral("译者"),     QStringLiteral("版次"),     QStringLiteral("索书号"),
            QStringLiteral("py"),       QStringLiteral("种次号"),   QStringLiteral("币种"),
            QStringLiteral("物品级别"), QStringLiteral("借出次数"), QStringLiteral("登记人"),
            QStringLiteral("入库时间"), QStringLiteral("密级"),     QStringLiteral("附件"),
            QStringLiteral("来源"),     QStringLiteral("捐赠人"),   QStringLiteral("图片地址"),
            QStringLiteral("绝对地址")};
}

namespace {

// The insert of every row: the same text for all, prepared once by the batch.
const QString &insertText()
{
    static const QString text =
        Statement::insert(
            QStringLiteral("图书"),
            QStringList{
                QStringLiteral("编号"),     QStringLiteral("条形码"),   QStringLiteral("名称"),
                QStringLiteral("出版社"),   QStringLiteral("分类号"),   QStringLiteral("分类"),
                QStringLiteral("二级分类"), QStringLiteral("存放位置"), QStringLiteral("索书号"),
                QStringLiteral("作者"),     QStringLiteral("译者"),     QStringLiteral("数量"),
                QStringLiteral("价格"),     QStringLiteral("出版时间"), QStringLiteral("页数"),
                QStringLiteral("isbn"),     QStringLiteral("版次"),     QStringLiteral("借出次数"),
                QStringLiteral("状态"),     QStringLiteral("简介"),     QStringLiteral("py"),
                QStringLiteral("zch"),      QStringLiteral("币种"),     QStringLiteral("物品级别"),
                QStringLiteral("登记人"),   QStringLiteral("入库时间"), QStringLiteral("密级"),
                QStringLiteral("附件"),     QStringLiteral("来源"),     QStringLiteral("捐赠人"),
                QStringLiteral("图片地址"), QStringLiteral("绝对地址")},
            QVariantList(32))
            .sql();
    return text;
}

} // namespace

MappedRow BookImport::map(const QStringList &cells, const QString &number,
                          const ImportContext &context) const
{
    auto c = [&cells](int column) { return cell(cells, column - 1); };
    const QString barcode = orDefault(c(2).trimmed(), QStringLiteral("n"));
    const QString name = orDefault(c(3).trimmed(), QStringLiteral("n"));
    bool pagesOk = false;
    const int pages = pagesOf(c(15), &pagesOk);

    MappedRow row;
    row.firstKey = barcode;
    row.secondKey = name;
    row.statement =
        Statement(insertText(),
                  {nonNull(number), barcode, name, c(5), c(11), c(4), c(13), c(10), c(18), c(6),
                   c(16), integerOr(c(9), 1), money(c(7)), c(14),
                   // Shown as the sheet gives it when the row is refused for it.
                   pagesOk ? QVariant(pages) : QVariant(c(15)), c(8), c(17), integerOr(c(23), 0),
                   QStringLiteral("正常"), c(12), c(19), integerOr(c(20), 0), c(21), c(22), c(24),
                   dateOr(c(25), context.today), c(26), c(27), c(28), c(29), c(30), c(31)});
    // A book without a number could be found by no lookup, and a second one would clash.
    if (number.trimmed().isEmpty()) {
        row.action = MappedRow::Action::Refuse;
        row.refusal = QStringLiteral("编号为空");
    } else if (!pagesOk) {
        row.action = MappedRow::Action::Refuse;
        row.refusal = QStringLiteral("页数不是整数: %1").arg(c(15));
    }
    return row;
}
