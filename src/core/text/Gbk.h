#pragma once

#include <QByteArray>
#include <QString>

// The GBK code page (936): the program measures names, receipts, MARC records and
// web pages in GBK bytes while the database stores UTF-8.
namespace Gbk {

// Characters that GBK cannot hold become '?'.
QByteArray encode(const QString &text);
// Invalid byte sequences become U+FFFD.
QString decode(const QByteArray &bytes);
// Number of bytes the text takes in GBK.
int byteLength(const QString &text);

} // namespace Gbk
