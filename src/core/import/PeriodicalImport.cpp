#include "PeriodicalImport.h"

#include "ImportValues.h"

using namespace ImportValues;

QStringList PeriodicalImport::targetItems() const
{
    // The four "n" stand for no column: sheet columns 28 to 31 are not read.
    return {QStringLiteral("编号"),     QStringLiteral("名称"),     QStringLiteral("条形码"),
            QStringLiteral("物品级别"), QStringLiteral("分类"),     QStringLiteral("二级分类"),
            QStringLiteral("出版社"),   QStringLiteral("存放位置"), QStringLiteral("数量"),
            QStringLiteral("ISSN"),     QStringLiteral("拼音"),     QStringLiteral("国内统一刊号"),
            QStringLiteral("邮发代号"), QStringLiteral("出版时间"), QStringLiteral("第几期"),
            QStringLiteral("入库时间"), QStringLiteral("总第几期"), QStringLiteral("价格"),
            QStringLiteral("币种"),     QStringLiteral("借出次数"), QStringLiteral("状态"),
            QStringLiteral("来源"),     QStringLiteral("捐赠人"),   QStringLiteral("简介"),
            QStringLiteral("图片地址"), QStringLiteral("绝对地址"), QStringLiteral("登记人"),
            QStringLiteral("n"),        QStringLiteral("n"),        QStringLiteral("n"),
            QStringLiteral("n")};
}

namespace {

// The insert of every row: the same text for all, prepared once by the batch.
const QString &insertText()
{
    static const QString text =
        Statement::insert(QStringLiteral("期刊"),
                          QStringList{QStringLiteral("编号"),     QStringLiteral("名称"),
                                      QStringLiteral("条形码"),   QStringLiteral("物品级别"),
                                      QStringLiteral("分类"),     QStringLiteral("二级分类"),
                                      QStringLiteral("出版社"),   QStringLiteral("存放位置"),
                                      QStringLiteral("数量"),     QStringLiteral("ISSN"),
                                      QStringLiteral("py"),       QStringLiteral("国内统一刊号"),
                                      QStringLiteral("邮发代号"), QStringLiteral("出版时间"),
                                      QStringLiteral("第几期"),   QStringLiteral("入库时间"),
                                      QStringLiteral("总第几期"), QStringLiteral("价格"),
                                      QStringLiteral("币种"),     QStringLiteral("借出次数"),
                                      QStringLiteral("状态"),     QStringLiteral("来源"),
                                      QStringLiteral("捐赠人"),   QStringLiteral("简介"),
                                      QStringLiteral("登记人"),   QStringLiteral("图片地址"),
                                      QStringLiteral("绝对地址")},
                          QVariantList(27))
            .sql();
    return text;
}

} // namespace

MappedRow PeriodicalImport::map(const QStringList &cells, const QString &number,
                                const ImportContext &context) const
{
    auto c = [&cells](int column) { return cell(cells, column - 1); };
    const QString name = orDefault(c(2).trimmed(), QStringLiteral("n"));
    const QString barcode = orDefault(c(3).trimmed(), QStringLiteral("n"));

    MappedRow row;
    row.firstKey = barcode;
    row.secondKey = name;
    row.statement = Statement(insertText(), {nonNull(number),
                                             name,
                                             barcode,
                                             orDefault(c(4), QStringLiteral("普通")),
                                             c(5),
                                             c(6),
                                             c(7),
                                             c(8),
                                             integerOr(c(9), 1),
                                             c(10),
                                             c(11),
                                             c(12),
                                             c(13),
                                             c(14),
                                             c(15),
                                             dateOr(c(16), context.today),
                                             c(17),
                                             money(c(18)),
                                             c(19),
                                             integerOr(c(20), 0),
                                             orDefault(c(21), QStringLiteral("正常")),
                                             c(22),
                                             c(23),
                                             c(24),
                                             c(27),
                                             c(25),
                                             c(26)});
    // A periodical without a number could be found by no lookup, and a second one would clash.
    if (number.trimmed().isEmpty()) {
        row.action = MappedRow::Action::Refuse;
        row.refusal = QStringLiteral("编号为空");
    }
    return row;
}
