#include "PeriodicalEdit.h"

#include "PeriodicalIntake.h"

#include "db/Money.h"
#include "db/Statement.h"
#include "text/NumberText.h"

#include <QTime>
#include <optional>
#include <utility>

namespace PeriodicalEdit {

namespace {

const QString kNumber = QStringLiteral("编号");
const QString kName = QStringLiteral("名称");
const QString kPrice = QStringLiteral("价格");
const QStringList kWholeNumbers = {QStringLiteral("数量"), QStringLiteral("借出次数")};

} // namespace

const QStringList &textColumns()
{
    static const QStringList columns = {kNumber,
                                        QStringLiteral("名称"),
                                        QStringLiteral("条形码"),
                                        QStringLiteral("出版社"),
                                        QStringLiteral("物品级别"),
                                        QStringLiteral("存放位置"),
                                        QStringLiteral("数量"),
                                        QStringLiteral("国内统一刊号"),
                                        QStringLiteral("ISSN"),
                                        QStringLiteral("分类"),
                                        QStringLiteral("二级分类"),
                                        QStringLiteral("邮发代号"),
                                        QStringLiteral("第几期"),
                                        QStringLiteral("总第几期"),
                                        QStringLiteral("出版时间"),
                                        kPrice,
                                        QStringLiteral("状态"),
                                        QStringLiteral("借出次数"),
                                        QStringLiteral("简介")};
    return columns;
}

Result update(const QSqlRecord &asRead, const Form &form)
{
    const QString number = form.texts.value(kNumber).trimmed();
    if (number.isEmpty())
        return ItemEdit::failure(QStringLiteral("期刊编号不能为空!"), kNumber);

    // Each column whose stored value differs from what is typed, as it is to be stored. A
    // NULL shown as an empty field and left empty stays NULL.
    QVector<std::pair<QString, QVariant>> changes;
    for (const QString &column : textColumns()) {
        const QString typed = form.texts.value(column).trimmed();
        const QVariant stored = asRead.value(column);
        if (stored.isNull() && typed.isEmpty())
            continue;
        QVariant value = typed;
        bool same = !stored.isNull() && stored.toString() == typed;
        if (kWholeNumbers.contains(column)) {
            int n = 0;
            if (typed.isEmpty()) {
                value = QVariant(QMetaType(QMetaType::Int));
            } else if (!NumberText::toInt(typed, &n)) {
                return ItemEdit::failure(column + QStringLiteral("必须是整数!"), column);
            } else {
                value = n;
            }
            same = value.isNull() ? stored.isNull() : !stored.isNull() && stored.toLongLong() == n;
        } else if (column == kPrice) {
            const std::optional<Money> price = typed.isEmpty()
                                                   ? std::optional<Money>(Money())
                                                   : Money::parse(NumberText::normalized(typed));
            if (!price)
                return ItemEdit::failure(QStringLiteral("价格必须是数字!"), column);
            value = price->toSql();
            same = !stored.isNull() && Money::fromVariant(stored) == *price;
        }
        if (!same)
            changes.append({column, value});
    }
    const QString py = PeriodicalIntake::pinyinOf(form.texts.value(kName).trimmed());
    if (py != asRead.value(QStringLiteral("py")).toString())
        changes.append({QStringLiteral("py"), py});
    ItemEdit::addIntakeChange(asRead, form.intake, &changes);
    return ItemEdit::write(RowChange{QStringLiteral("期刊"), kNumber, asRead, changes},
                           QStringLiteral("期刊"));
}

} // namespace PeriodicalEdit
