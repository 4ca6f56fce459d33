#pragma once

#include "print/ReportModel.h"

#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

// Cataloguing new books: the rows of 图书 the intake window writes, one per save or one per
// copy, with the call number of each copy, the automatic numbering and the spine label.
namespace BookIntake {

// The text "n" stands for "none" in 条形码 and the document path.
QString noneText();

// The text columns of 图书 the window fills, as typed (编号 is given separately).
const QStringList &textColumns();
// The fields that must be filled (untrimmed test): 编号, 名称, 条形码, 数量, 物品级别, 价格.
const QStringList &requiredColumns();

// The drop-down lists, each read whole in the order its rows were entered.
struct PickLists {
    QStringList classes;     // 分类.名称
    QStringList subClasses;  // 二级分类.名称
    QStringList publishers;  // 出版社名.出版社名
    QStringList locations;   // 存放位置.存放位置名
    QStringList currencies;  // 币种.币种
    QStringList attachments; // 附件名.附件名
    QStringList levels;      // 物品级别.名称
    QStringList a1, a2, a3;  // a1/a2/a3.名称
};
// Reads every list; a list that could not be read stays empty and is named in error.
PickLists loadPickLists(QString *error = nullptr);
QStringList states();  // 正常, 不外借
QStringList sources(); // 购买, 捐赠
QString donationSource();

// The initial texts of the fields when the window opens or is cleared (column -> text).
QMap<QString, QString> initialTexts();

// What the window collects. texts: column of 图书 -> the field's text as typed, 编号 too.
struct BookForm {
    QMap<QString, QString> texts;
    QString documentPath; // 电子文档: 图片地址 and 绝对地址, untrimmed
    QDate published;      // 出版时间
};

bool requiredFilled(const BookForm &form);
QString requiredMessage();
QString savedMessage();
QString countMissingMessage();
QString countNotWholeMessage();
QString startNotWholeMessage();
QString duplicateNumberMessage(const QString &number);
QString duplicateBarcodeMessage();

// Whether a book with this barcode (trimmed) is stored already; the hint is shown only when
// the library asks for it (barcodeDuplicateWarning).
bool barcodeTaken(const QString &barcode);

// A whole number typed into a field (full-width digits allowed); nothing when it is not one.
std::optional<int> wholeNumber(const QString &text);

struct Result {
    bool ok = false;
    QString number;     // 编号 of the row
    QString message;    // why the row was not written
    int zch = 0;        // multi-copy: the 种次号 this copy got (0: no 分类号)
    QString callNumber; // multi-copy: its 索书号
};

// Writes one row of 图书 with this 编号, refused when the number is stored already. The check
// and the write are one step for every workstation.
Result add(const BookForm &form, const QString &number,
           const QDateTime &now = QDateTime::currentDateTime());

// Writes count copies numbered 编号 + separator + 1 … count. Each copy gets the next 种次号
// of its 分类号 (when there is one) and is written in its own transaction; a refused copy does
// not stop the others. afterCopy is told of each copy as it is done.
QVector<Result> addCopies(const BookForm &form, int count, const QString &separator,
                          const std::function<void(const Result &)> &afterCopy = {},
                          const QDateTime &now = QDateTime::currentDateTime());

// The automatic numbering of the window: prefix, a counter and the width it is padded to.
struct Numbering {
    int counter = 1;
    int width = 0;
    QString prefix;

    // 使用自动编号: starts from the trimmed start text; false when it is not a whole number.
    bool start(const QString &prefixText, const QString &startText);
    // The number the window shows: prefix + counter padded with "0" to the width.
    QString current() const;
    // After a save: the next number.
    QString advance();
};

// The spine/barcode label of a saved book, from the window's fields.
struct LabelValues {
    QString number;         // 编号
    QString callNumber;     // 索书号
    QString classification; // 分类号
    QString title;          // 书名
    QString barcode;        // 条形码
};
ReportModel labelReport(const LabelValues &values);

} // namespace BookIntake
