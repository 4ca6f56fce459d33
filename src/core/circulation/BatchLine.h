#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// One line of a circulation file, as a scanner station records it: fields separated by
// tabs, an optional first field with the moment of the scan, then the operation:
//
//   [yyyy-mm-dd hh:mm:ss<TAB>]lend<TAB>READER<TAB>ITEM
//   [yyyy-mm-dd hh:mm:ss<TAB>]return<TAB>ITEM[<TAB>READER]
//   [yyyy-mm-dd hh:mm:ss<TAB>]renew<TAB>ITEM<TAB>yyyy-mm-dd[<TAB>READER]
//
// READER is a 读者编号 or CardId, ITEM a 条形码 or 编号. The reader of a return or renewal is
// needed only when the item has several unreturned loans. Empty lines and lines starting
// with # are skipped.
namespace BatchLine {

enum class Operation { Lend, Return, Renew };

struct Line {
    Operation operation = Operation::Lend;
    QDateTime scanned; // invalid: at the moment the line is run
    QString reader;
    QString item;
    QDate dueDate; // renew: the new 应还日期
};

enum class Parse { Line, Skip, Malformed };

// message: why a line is malformed, naming the field.
Parse parse(const QString &text, Line *line, QString *message);

// The most characters a line may hold: a longer one is not a line of this kind of file.
inline constexpr int MaxLineBytes = 1024;

} // namespace BatchLine
