#pragma once

#include "XlsxReader.h"

#include <QString>
#include <QVector>
#include <vector>

class QuaZip;

// The parts of an .xlsx package that say how to read its sheet, shared by the reader that
// holds a whole sheet and the one that gives it row by row.
namespace XlsxReader {

struct WorkbookInfo {
    QString sheetName;
    QString sheetPart;
    QString sharedStringsPart;
    QVector<bool> dateStyles; // by cell style: whether its number format shows a date
    bool date1904 = false;
};

// Opens the package at path and reads its workbook, relationships and styles. False with
// the whole message for the user.
bool openWorkbook(QuaZip *zip, const QString &path, const Limits &limits, WorkbookInfo *info,
                  QString *error);

// "文件已损坏或太大：PATH（REASON）"
QString damagedMessage(const QString &path, const QString &reason);

// Reads the shared strings with the given indexes (ascending, no repeats) and no others:
// texts gets one per index, empty for an index past the end of the table. Their characters
// are added to textCharacters and held to limits.textCharacters.
bool readSharedStrings(QuaZip *zip, const QString &partName, const std::vector<int> &wanted,
                       std::vector<QString> *texts, const Limits &limits, qint64 *textCharacters,
                       QString *reason);

} // namespace XlsxReader
