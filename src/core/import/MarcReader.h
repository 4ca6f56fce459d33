#pragma once

#include "MarcRecord.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

// What reading a MARC file (or the records a catalogue server sent) gave.
struct MarcReadResult {
    QVector<MarcRecord> records;   // the records that could be read, in file order
    QVector<MarcProblem> problems; // the records that were skipped, and why
    // Why the reading stopped early or could not begin (a file too large, XML that ends in
    // the middle); the records read before stay.
    QString error;
    bool truncated = false; // more records than maxRecords: the rest were not read
};

// Reads bibliographic records from ISO 2709 files (the exchange format of MARC: UNIMARC and
// CNMARC as Chinese libraries write them, MARC 21) and from MARCXML (the MARC 21 slim schema,
// as files and as catalogue servers return it).
//
// ISO 2709: a record is a 24-byte leader, a directory of 12-byte entries (tag, field length,
// starting position) ended by a field terminator (0x1E), and the fields, each ended by 0x1E;
// the record ends with 0x1D. Records are split at the record terminator and at line breaks, so
// a file of records without line breaks gives all of them. Within a record the fields are
// taken in directory order from the pieces between the field terminators; the lengths and
// positions of the directory are not relied on, since files converted between code pages
// often carry wrong ones. A record whose leader, base address, directory or terminators do
// not agree is reported by its number and skipped; no length read from a record is used to
// size anything.
//
// Text: GBK (the code page of Chinese catalogues) unless the leader says UTF-8 (position 9
// is "a") or the record's bytes are valid UTF-8 and not valid GBK.
class MarcReader {
public:
    // A cap on what one read takes in, so that a wrong or hostile file cannot exhaust memory.
    static constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;
    static constexpr int kMaxRecords = 1000000;

    // Asked every few hundred records with the bytes read so far and the whole size; returning
    // false stops the reading (the records read so far stay).
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // ISO 2709 or MARCXML, told apart by the first character ("<" for XML).
    static MarcReadResult read(const QByteArray &bytes, int maxRecords = kMaxRecords,
                               const Progress &progress = {});
    static MarcReadResult readIso2709(const QByteArray &bytes, int maxRecords = kMaxRecords,
                                      const Progress &progress = {});
    static MarcReadResult readXml(const QByteArray &bytes, int maxRecords = kMaxRecords,
                                  const Progress &progress = {});
    // Reads a file; a file that cannot be opened or is larger than kMaxFileBytes gives an
    // error and no records.
    static MarcReadResult readFile(const QString &path, int maxRecords = kMaxRecords,
                                   const Progress &progress = {});

    // Parses one ISO 2709 record (without its record terminator). False with the reason when
    // it is broken.
    static bool parseRecord(const QByteArray &bytes, MarcRecord *record, QString *error);

    // Whether the bytes form valid UTF-8, and valid GBK (code page 936).
    static bool isValidUtf8(const QByteArray &bytes);
    static bool isValidGbk(const QByteArray &bytes);
};
