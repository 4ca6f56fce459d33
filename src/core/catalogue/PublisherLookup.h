#pragma once

#include <QString>
#include <QStringList>

// The publisher of a book found from its barcode: a 13-digit ISBN barcode (978 7 xxxx…)
// carries the publisher's prefix after the group digit 7, and the publisher list (出版社名)
// keeps each publisher with its prefix in the form "7-xxxx".
namespace PublisherLookup {

// The prefixes tried, shortest first: "7-" followed by 2, 3, … 7 characters of the barcode
// from its fifth character. A barcode too short for a length gives no new prefix.
QStringList candidatePrefixes(const QString &barcode);

struct Publisher {
    bool found = false;
    QString isbn;  // the publisher row's ISBN, the prefix
    QString name;  // 出版社名
    QString error; // the database's text when the list could not be read
};

// The first publisher whose ISBN equals a candidate prefix, shortest prefix first.
Publisher find(const QString &barcode);

} // namespace PublisherLookup
