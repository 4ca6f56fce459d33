#pragma once

#include "GeneratorRandom.h"
#include "LibraryWords.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The rows of a generated library, each worked out from the seed and its own number, so
// that a book's title is the same when its loans are written and when the book row is.
namespace GeneratedItems {

struct ReaderCategory {
    QString name;
    int days;
    int limit;
    qint64 rentRaw; // Money raw value per day
    int share;      // percent of the readers
};
struct ItemLevel {
    QString name;
    qint64 rentRaw;
    int limit;
};

const QVector<ReaderCategory> &readerCategories(); // the first one is 普通
const QVector<ItemLevel> &itemLevels();            // the first one is 普通
QStringList locations();
QStringList departments();
QStringList faculties();
QStringList classes();
QStringList currencies();
QStringList documents();
QStringList attachments();
QStringList administrators(); // the first one is the super administrator

struct Book {
    QString number;
    QString barcode;
    LibraryWords::Text title;
    int publisher;
    int classification;
    QString location;
    QString author;
    QString translator;
    int copies;
    qint64 priceRaw;
    QDate published;
    int pages;
    QString isbn;
    QString edition;
    bool lendable;
    QString summary;
    QString currency;
    int level;
    QString registrar;
    QDateTime intake;
    QString attachment;
    QString source;
    QString donor;
};

struct Periodical {
    QString number;
    QString barcode;
    int title; // index into LibraryWords::periodicals()
    int level;
    int classification;
    QString location;
    int copies;
    QDate published;
    QString issue;
    QString runningIssue;
    QDateTime intake;
    qint64 priceRaw;
    QString registrar;
    QString source;
};

struct Reader {
    QString number;
    LibraryWords::Text name;
    QString sex;
    int category;
    QString department;
    QString address;
    QString phone;
    QString className;
    QString faculty;
    QString document;
    QString documentNumber;
    QDateTime registered;
    QDate validUntil;
    bool suspended;
    QString registrar;
    QString cardId; // empty = none
};

Book book(quint64 seed, int index, const QDate &today);
Periodical periodical(quint64 seed, int index, const QDate &today);
// Readers registered before firstLoanDay.
Reader reader(quint64 seed, int index, const QDate &firstLoanDay);

} // namespace GeneratedItems
