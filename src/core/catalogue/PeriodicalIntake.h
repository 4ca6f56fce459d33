#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>

// Cataloguing periodicals: one row of 期刊 per issue, the data of an earlier issue with the
// same barcode copied in to start from.
namespace PeriodicalIntake {

// The columns of 期刊 the intake window fills from its text fields and drop-downs.
const QStringList &textColumns();
// The fields that must be filled (untrimmed test): 编号, 名称, 条形码, 数量, 价格, 物品级别.
const QStringList &requiredColumns();
// The texts of the fields when the window opens or is cleared (column -> text).
QMap<QString, QString> initialTexts();

// The drop-down lists by the column they fill (出版社, 物品级别, 存放位置, 分类, 二级分类),
// each in the order its rows were entered. A list that cannot be read stays empty and is
// named in error.
QMap<QString, QStringList> loadPickLists(QString *error = nullptr);
QStringList states(); // 正常, 不外借

QString requiredMessage(); // 字体加重的项目必须填写完整!
QString savedMessage();    // 保存完毕

// The py column of a name: its pinyin initials.
QString pinyinOf(const QString &name);

// What the window collects: column of 期刊 -> the field's text as typed, and 出版时间.
struct Form {
    QMap<QString, QString> texts;
    QDate published;
};
bool requiredFilled(const Form &form);

// The columns copied from an earlier issue with the same barcode: 名称, 物品级别, 出版社,
// 存放位置, 分类, 二级分类, ISSN, 国内统一刊号, 邮发代号, 第几期, 总第几期, 价格, py, 简介.
const QStringList &copiedColumns();
struct EarlierIssue {
    bool found = false;
    QMap<QString, QString> texts; // the copied columns that are not NULL (物品级别 trimmed)
    QString error;                // the database's text when the lookup failed
};
// The first issue stored with this barcode (trimmed), in the order the issues were entered.
EarlierIssue earlierIssue(const QString &barcode);

struct Result {
    bool ok = false;
    QString message; // why the row was not written
    QString column;  // the field the message is about
};
// Writes one new row of 期刊: the texts trimmed, 出版时间 as yyyy-mm-dd, 入库时间 the day
// (at midnight), 借出次数 0, 登记人 the administrator. A 编号 that is taken already is
// refused with a message, checked and written in one transaction.
Result add(const Form &form, const QDate &today);

} // namespace PeriodicalIntake
