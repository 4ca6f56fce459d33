#pragma once

#include <QChar>
#include <QString>
#include <QVector>

// One subfield of a data field: its code ($a) and value.
struct MarcSubfield {
    QChar code;
    QString value;
};

// One field of a bibliographic record. Control fields (tags 001 to 009) hold data only; data
// fields hold two indicators and subfields.
struct MarcField {
    QString tag;
    QString indicators;
    QString data; // the control field's data (of a data field: any text before its first subfield)
    QVector<MarcSubfield> subfields;

    bool isControl() const;
    // The value of the first subfield with this code; empty when there is none.
    QString subfield(QChar code) const;
    // The field as cataloguers write it: the indicators, then each subfield as "$", its code
    // and its value ("  $a数据库原理$f王珊"). For a control field, its data.
    QString text() const;
};

// A bibliographic record as read from an ISO 2709 or MARCXML file.
struct MarcRecord {
    int number = 0; // its position in the file, counted from 1 (broken records included)
    QString leader;
    QVector<MarcField> fields;

    // The last field with this tag (the one that wins when a tag repeats), or null.
    const MarcField *lastField(const QString &tag) const;
    // The first field with this tag, or null.
    const MarcField *firstField(const QString &tag) const;
    bool has(const QString &tag) const { return firstField(tag) != nullptr; }
};

// A record that could not be read, named by its position in the file.
struct MarcProblem {
    int record = 0; // counted from 1
    QString message;

    // "第n条记录: message"
    QString text() const;
};
