#pragma once

#include "ImportMapping.h"

// The book import: one 图书 row per sheet row, sheet columns by position (编号, 条形码, 名称,
// 分类, 出版社, 作者, 价格, ISBN, 数量, 存放位置, 分类号, 简介, 二级分类, 出版时间, 页数, 译者,
// 版次, 索书号, py, 种次号, 币种, 物品级别, 借出次数, 登记人, 入库时间, 密级, 附件, 来源, 捐赠人,
// 图片地址, 绝对地址). None of the rules of book intake is applied: numbers, barcodes, call
// numbers and pinyin initials are stored as the sheet gives them; 状态 is always "正常".
class BookImport : public ImportMapping {
public:
    QStringList targetItems() const override;
    MappedRow map(const QStringList &cells, const QString &number,
                  const ImportContext &context) const override;
};
