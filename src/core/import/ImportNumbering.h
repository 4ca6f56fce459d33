#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// The numbering options of the spreadsheet imports, which give each row its 编号 (读者编号)
// instead of column 1:
// - random: the current minute as "yyMMddhhmm", taken anew for each row, followed by the row
//   number (row 2 in minute 2608081530 gets 26080815302);
// - from a start number: the start number for row 2, one more for each row after it (rows
//   that fail use up their numbers too); together with random, one is added to the random
//   number;
// - neither: the text of column 1 as it is.
// Numbers are computed in 64 bits: the default start number alone has ten digits.
class ImportNumbering {
public:
    ImportNumbering() = default;
    ImportNumbering(bool random, bool fromStart, std::int64_t start);

    bool isActive() const { return m_random || m_fromStart; }
    bool random() const { return m_random; }
    bool fromStart() const { return m_fromStart; }
    std::int64_t start() const { return m_start; }

    // The number of sheet row `row` (rows are taken in order, from row 2 on). column1 is the
    // row's first cell, taken when no option is chosen.
    QString next(int row, const QString &column1, const QDateTime &now);

    // The start number a window offers when it opens: the current minute, "yyMMddhhmm".
    static std::int64_t defaultStart(const QDateTime &now);
    // A start number typed by the operator or given on the command line: digits only, at
    // most 18 of them, so that adding the rows of any sheet stays within 64 bits. False (and
    // a message in Chinese) otherwise.
    static bool parseStart(const QString &text, std::int64_t *start, QString *error);

private:
    bool m_random = false;
    bool m_fromStart = false;
    std::int64_t m_start = 0;
    std::int64_t m_running = 0;
};
