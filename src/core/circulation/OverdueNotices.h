#pragma once

#include "db/Money.h"
#include "db/Statement.h"
#include "print/ReportModel.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

// The overdue notices printed from the overdue list: one page for each reader with the loans
// due, the days each is overdue, the fine so far and its total.
namespace OverdueNotices {

struct Item {
    QString title;   // 名称
    QString barcode; // 条形码
    QDate due;       // 应还日期
    int days = 0;
    Money fine;
};

struct Notice {
    QString readerNumber;
    QString readerName;
    QString department; // 单位部门 of the reader's row
    QString telephone;  // 联系电话 of the reader's row
    QVector<Item> items;
    Money total;
};

struct Library {
    QString name;
    QString telephone;
};

// The library on the notices: its name from the login's settings, its telephone from
// 系统设置's 电话, or the one of the configuration when that is empty.
bool readLibrary(Library *library, QString *error = nullptr);

// The notices for the loans of a statement (the overdue list as shown), one per reader in
// order of reader number, the loans of a reader in the order they were lent.
bool load(const Statement &loans, const QDate &today, Money finePerDay, QVector<Notice> *notices,
          QString *error = nullptr);

// One page per notice (more when a reader has more loans than a page holds).
ReportModel report(const QVector<Notice> &notices, const Library &library, const QDate &today);

} // namespace OverdueNotices
