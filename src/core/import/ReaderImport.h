#pragma once

#include "ImportMapping.h"

// The reader import: one 读者库 row per sheet row, sheet columns by position (读者编号, 读者姓名,
// 性别, 类别, 单位部门, 住址, 联系电话, 班级, 院系, 有效证件, 证件号码, 备注, 读者卡号,
// 累计借阅次数, 登记日期, 有效期, 卡内金额, 登记人, 拼音). The import ends at the first row without
// a number or a name. An imported reader gets the default password that registration gives, no
// loans out, the state "正常"; no account-opening fee is charged and no 收入 row written.
class ReaderImport : public ImportMapping {
public:
    QStringList targetItems() const override;
    MappedRow map(const QStringList &cells, const QString &number,
                  const ImportContext &context) const override;

    // The validity of an imported reader whose sheet gives none.
    static QDate defaultValidUntil();
};
