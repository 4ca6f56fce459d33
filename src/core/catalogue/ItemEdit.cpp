#include "ItemEdit.h"

#include "db/Statement.h"

#include <QTime>

namespace ItemEdit {

Result failure(const QString &message, const QString &column)
{
    Result r;
    r.message = message;
    r.column = column;
    return r;
}

QString deletedMessage(const QString &kind, const QString &number)
{
    return QStringLiteral("%1“%2”已在别处被删除,本次修改没有保存。").arg(kind, number);
}

void addIntakeChange(const QSqlRecord &asRead, const QDate &typed,
                     QVector<std::pair<QString, QVariant>> *changes)
{
    const QString column = QStringLiteral("入库时间");
    const QDateTime intake = dateTimeFromSql(asRead.value(column));
    if (typed.isValid() && typed != intake.date())
        changes->append({column, sqlDateTime(QDateTime(typed, intake.isValid() ? intake.time()
                                                                               : QTime(0, 0)))});
}

Result write(const RowChange &change, const QString &kind)
{
    const QString oldNumber = change.asRead.value(change.keyColumn).toString();
    QString newNumber = oldNumber;
    for (const auto &c : change.changes) {
        if (c.first == change.keyColumn)
            newNumber = c.second.toString();
    }
    QString error;
    Result r;
    switch (change.write(&error)) {
    case RowChange::Outcome::Written:
        r.written = true;
        [[fallthrough]];
    case RowChange::Outcome::NothingChanged:
        r.ok = true;
        return r;
    case RowChange::Outcome::KeyTaken:
        return failure(QStringLiteral("%1编号“%2”已经存在,请换一个编号!").arg(kind, newNumber),
                       change.keyColumn);
    case RowChange::Outcome::Deleted:
        return failure(deletedMessage(kind, oldNumber));
    case RowChange::Outcome::ChangedElsewhere:
        return failure(QStringLiteral("%1“%2”的资料已在别处被修改,本次修改没有保存。\n"
                                      "请取消后刷新%1列表,再重新编辑。")
                           .arg(kind, oldNumber));
    case RowChange::Outcome::Failed:
        break;
    }
    return failure(QStringLiteral("保存失败:\n") + error);
}

} // namespace ItemEdit
