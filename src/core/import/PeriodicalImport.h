#pragma once

#include "ImportMapping.h"

// The periodical import: one 期刊 row per sheet row, sheet columns 1 to 27 by position in the
// order of 期刊's own columns (编号, 名称, 条形码, 物品级别, …, 绝对地址, 登记人). Unlike the
// book import, the state comes from the sheet ("正常" when empty).
class PeriodicalImport : public ImportMapping {
public:
    QStringList targetItems() const override;
    MappedRow map(const QStringList &cells, const QString &number,
                  const ImportContext &context) const override;
};
