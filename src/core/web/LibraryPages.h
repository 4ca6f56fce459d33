#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

// What the web pages show of the library itself, read from the database: the name, address
// and telephone of 系统设置 (on every page), the notice WebNotice, the recommended books of
// b_tuiJian and the newest books (on the home page).
namespace LibraryPages {

struct Library {
    QString name;      // 图书馆名 ("图书馆" when empty)
    QString address;   // 地址
    QString telephone; // 电话
    QString notice;    // WebNotice
};

struct Recommendation {
    QString number;   // 编号
    QString title;    // 名称
    QString author;   // 作者
    QString location; // 存放位置
    QString by;       // 推荐人
    QString reason;   // memo
};

struct NewBook {
    QString number;
    QString title;
    QString author;
    QString callNumber;
    QString location;
    int onShelf = 0;
    QDate added; // 入库时间
};

struct Home {
    bool ok = false;
    QString detail; // the database's text, for the log
    Library library;
    QVector<Recommendation> recommendations;
    QVector<NewBook> newest;
};

inline constexpr int kRecommendations = 50;
inline constexpr int kNewest = 10;

// The first row of 系统设置 (an empty Library when the table is empty or cannot be read).
Library library(const QSqlDatabase &db, QString *detail = nullptr);
// Everything the home page shows: recommendations in the order they were made (at most
// kRecommendations), the kNewest books by 入库时间, the newest first.
Home home(const QSqlDatabase &db);

} // namespace LibraryPages
