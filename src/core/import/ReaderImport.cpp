#include "ReaderImport.h"

#include "ImportValues.h"
#include "db/LoginContext.h"

using namespace ImportValues;

QStringList ReaderImport::targetItems() const
{
    return {QStringLiteral("读者编号"), QStringLiteral("读者姓名"),     QStringLiteral("性别"),
            QStringLiteral("类别"),     QStringLiteral("单位部门"),     QStringLiteral("住址"),
            QStringLiteral("联系电话"), QStringLiteral("班级"),         QStringLiteral("院系"),
            QStringLiteral("有效证件"), QStringLiteral("证件号码"),     QStringLiteral("备注"),
            QStringLiteral("读者卡号"), QStringLiteral("累计借阅次数"), QStringLiteral("登记日期"),
            QStringLiteral("有效期"),   QStringLiteral("卡内金额"),     QStringLiteral("登记人"),
            QStringLiteral("拼音")};
}

QDate ReaderImport::defaultValidUntil()
{
    return QDate(2049, 12, 10);
}

namespace {

// The insert of every row: the same text for all, prepared once by the batch.
const QString &insertText()
{
    static const QString text =
        Statement::insert(QStringLiteral("读者库"),
                          QStringList{QStringLiteral("读者编号"), QStringLiteral("读者姓名"),
                                      QStringLiteral("性别"),     QStringLiteral("类别"),
                                      QStringLiteral("单位部门"), QStringLiteral("住址"),
                                      QStringLiteral("联系电话"), QStringLiteral("班级"),
                                      QStringLiteral("院系"),     QStringLiteral("有效证件"),
                                      QStringLiteral("证件号码"), QStringLiteral("累计借阅次数"),
                                      QStringLiteral("未还数量"), QStringLiteral("有效期"),
                                      QStringLiteral("状态"),     QStringLiteral("备注"),
                                      QStringLiteral("密码"),     QStringLiteral("卡内金额"),
                                      QStringLiteral("登记人"),   QStringLiteral("CardId"),
                                      QStringLiteral("登记日期"), QStringLiteral("py")},
                          QVariantList(22))
            .sql();
    return text;
}

} // namespace

MappedRow ReaderImport::map(const QStringList &cells, const QString &number,
                            const ImportContext &context) const
{
    auto c = [&cells](int column) { return nonNull(cell(cells, column - 1).trimmed()); };
    const QString name = c(2);

    MappedRow row;
    row.firstKey = number;
    row.secondKey = name;
    // The reader list ends at the first row without a number or a name; a number of blanks
    // counts as none (registration refuses it too).
    if (number.trimmed().isEmpty() || name.isEmpty()) {
        row.action = MappedRow::Action::Stop;
        return row;
    }
    row.statement =
        Statement(insertText(), {number,
                                 name,
                                 c(3),
                                 orDefault(c(4), QStringLiteral("普通")),
                                 c(5),
                                 c(6),
                                 c(7),
                                 c(8),
                                 c(9),
                                 c(10),
                                 c(11),
                                 integerOr(c(14), 0),
                                 0,
                                 dateOr(c(16), defaultValidUntil()),
                                 QStringLiteral("正常"),
                                 c(12),
                                 QString::fromLatin1(DefaultPassword),
                                 money(c(17)),
                                 orDefault(c(18), context.adminName + QStringLiteral(" 导入的")),
                                 c(13),
                                 dateOr(c(15), context.today),
                                 c(19)});
    return row;
}
