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

// GB18030, for files that must keep every character (de.ini): byte for byte GBK for every
// character GBK has, and four-byte codes for all the others. The one exception is the euro
// sign, which code page 936 writes as the single byte 0x80 and GB18030 as A2 E3; a 0x80
// read is taken as the euro sign. Encoding fails only for text that holds no valid
// Unicode (a lone surrogate).
bool encodeGb18030(const QString &text, QByteArray *bytes);
// Invalid byte sequences become U+FFFD.
QString decodeGb18030(const QByteArray &bytes);

} // namespace Gbk
