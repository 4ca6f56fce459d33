#pragma once

#include "ImportMapping.h"

// The loan-history import: one 借出记录 row per sheet row, sheet columns 1 to 24 by position in
// the order of 借出记录's own columns (读者编号, cardId, 读者姓名, 条形码, 编号, 名称, 类别, …,
// 归还备注). Every cell is trimmed. Rows without 编号 or 名称 are skipped. Only loan records
// are written: the readers' and items' counters stay as they are.
class LoanImport : public ImportMapping {
public:
    QStringList targetItems() const override;
    bool takesNumbers() const override { return false; }
    MappedRow map(const QStringList &cells, const QString &number,
                  const ImportContext &context) const override;
};
