#pragma once

#include "db/Statement.h"

#include <QSqlRecord>
#include <QString>

// Recommended books (b_tuiJian): an administrator with the administrators' right recommends
// the current book of book management with a short reason; the recommendation window lists
// and clears them.
namespace Recommendations {

// The reason takes at most 50 bytes in GBK: 25 Chinese characters or 50 Latin ones.
inline constexpr int kReasonBytes = 50;
bool reasonFits(const QString &reason);
QString reasonTooLongMessage(); // 不能大于25个汉字或50个字符!
QString noRightMessage();       // 没有权限!

struct Result {
    bool ok = false;
    QString message; // why not; empty when written
};

// Writes the recommendation of a book (a row of 图书: 编号, 名称, 作者, 分类, 存放位置)
// by the administrator, with the reason.
Result recommend(const QSqlRecord &book, const QString &adminName, const QString &reason);

// "select * from b_tuiJian": every recommendation, in the database's order.
Statement listStatement();
// Removes the recommendation with this id.
Result removeOne(const QVariant &id);
// Removes every recommendation.
Result removeAll();

} // namespace Recommendations
