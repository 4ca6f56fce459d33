#pragma once

#include "db/Statement.h"

#include <QString>
#include <QStringList>

// The batch window's two changes: moving every item of one storage location to another, and
// deleting the readers of a department, class or unit who have nothing on loan.
namespace BatchChanges {

inline QString incompleteMessage()
{
    return QStringLiteral("请选择好再执行!");
}
inline QString doneMessage()
{
    return QStringLiteral("完成!");
}

// "图书" and "期刊": the tables whose 存放位置 can be changed.
QStringList kinds();
// The names of a pick list (存放位置, 院系, 班级, 单位名称) in the order they were entered.
QStringList listNames(const QString &table, QString *error = nullptr);

// "update 图书 set 存放位置=? where 存放位置=?"; an empty statement for an unknown kind.
Statement locationChange(const QString &kind, const QString &from, const QString &to);

// Which readers the deletion takes: an empty text is a criterion not chosen.
struct ReaderGroup {
    QString department; // 院系
    QString className;  // 班级
    QString unit;       // 单位部门
    bool isEmpty() const { return department.isEmpty() && className.isEmpty() && unit.isEmpty(); }
};

struct ReaderCount {
    int deletable = 0; // readers of the group without an unreturned loan
    int withLoans = 0; // readers of the group who still have a loan out; they are kept
};

bool countReaders(const ReaderGroup &group, ReaderCount *count, QString *error);
// The question asked before the deletion.
QString deletionQuestion(const ReaderCount &count);
// Deletes the group's readers without an unreturned loan, in one transaction with an entry
// in the administrators' log; deleted receives how many were deleted.
bool deleteReaders(const ReaderGroup &group, int *deleted, QString *error);
QString deletedMessage(int deleted);

} // namespace BatchChanges
