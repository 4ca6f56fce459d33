#pragma once

#include "text/Gbk.h"

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

// ISO 2709 records built in a test: fields as cataloguers write them, "$" standing for the
// subfield delimiter, data fields beginning with their two indicators.
using MarcFields = QVector<QPair<QString, QString>>;

enum class MarcCoding { Gbk, Utf8Flagged, Utf8Unflagged };

inline QByteArray marcRecord(const MarcFields &fields, MarcCoding coding = MarcCoding::Gbk)
{
    QByteArray directory;
    QByteArray data;
    for (const auto &f : fields) {
        QString text = f.second;
        text.replace(QLatin1Char('$'), QChar(0x1F));
        QByteArray bytes = coding == MarcCoding::Gbk ? Gbk::encode(text) : text.toUtf8();
        bytes.append('\x1E');
        directory += f.first.toLatin1() + QByteArray::number(bytes.size()).rightJustified(4, '0') +
                     QByteArray::number(data.size()).rightJustified(5, '0');
        data += bytes;
    }
    directory.append('\x1E');
    const int base = 24 + directory.size();
    const int length = base + data.size() + 1;
    QByteArray leader = QByteArray::number(length).rightJustified(5, '0') + "nam " +
                        (coding == MarcCoding::Utf8Flagged ? "a" : " ") + "22" +
                        QByteArray::number(base).rightJustified(5, '0') + "   4500";
    return leader + directory + data + '\x1D';
}

// A CNMARC record of a book with the usual fields.
inline QByteArray cnmarcBook(const QString &title, const QString &isbn = QString(),
                             MarcCoding coding = MarcCoding::Gbk)
{
    MarcFields fields{{QStringLiteral("001"), QStringLiteral("0123456789")}};
    if (!isbn.isEmpty())
        fields.append({QStringLiteral("010"), QStringLiteral("  $a%1$dCNY25.00").arg(isbn)});
    fields.append({QStringLiteral("200"), QStringLiteral("1 $a%1$f张三著").arg(title)});
    fields.append({QStringLiteral("210"), QStringLiteral("  $a北京$c清华大学出版社$d2008.10")});
    fields.append({QStringLiteral("215"), QStringLiteral("  $a356页$c图$d26cm$e光盘1张")});
    fields.append({QStringLiteral("330"), QStringLiteral("  $a本书介绍数据库的原理。")});
    fields.append({QStringLiteral("606"), QStringLiteral("0 $a数据库系统$x教材")});
    fields.append({QStringLiteral("690"), QStringLiteral("  $aTP311.13$v4")});
    return marcRecord(fields, coding);
}
