#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

// A reader's record as the registration and editing windows write it: the new reader with
// its opening fee, and the change of a reader that reader management shows.
namespace ReaderRegistration {

// The text columns of 读者库 that the windows fill, in table order.
const QStringList &textColumns();

// What a window collects, as typed. The texts are trimmed when they are stored.
struct ReaderForm {
    QMap<QString, QString> texts; // column of 读者库 -> text
    QDate validUntil;             // 有效期
    QDate registered;             // 登记日期 (editing only)
    QByteArray photo;             // pic: the picture file's bytes, empty for none
};

// The drop-down lists, in the order their rows were entered.
struct PickLists {
    QStringList categories;    // 读者类别.类别名
    QStringList departments;   // 单位名称.单位名称
    QStringList documentKinds; // 证件名.证件名
};
// Reads the three lists; what could not be read stays empty and is named in error.
PickLists loadPickLists(QString *error = nullptr);

// The values a new registration starts with.
QStringList sexes();
QString defaultSex();
QString defaultCategory();
QDate defaultValidUntil();

// The py column of a name: the pinyin initials of the name as it is stored (trimmed).
QString pinyinOf(const QString &name);

QString requiredMessage();
QString savedMessage();

struct Result {
    bool ok = false;
    bool written = false; // editing: false when nothing had changed
    QString message;      // what to show when not ok
    QString column;       // the input the message is about, for the focus
};

// Registers a new reader: the row of 读者库 and, when the library charges an opening fee,
// its row of 收入, both or neither. The number must not be taken yet.
Result add(const ReaderForm &form, const QDateTime &now = QDateTime::currentDateTime());

// Writes the changes of the reader as read (a row of 读者库 with all its columns) in one
// update by its number. Only the changed columns are written, and only while they still hold
// what was read: a reader that another workstation changed in those columns or deleted
// meanwhile is not overwritten, and the message says so. photoChanged: form.photo replaces
// the stored photo (an empty one removes it).
Result update(const QSqlRecord &asRead, const ReaderForm &form, bool photoChanged);

} // namespace ReaderRegistration
