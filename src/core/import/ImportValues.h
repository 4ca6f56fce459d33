#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

// How the spreadsheet imports turn a cell's text into the value of a column. Every value is
// bound into its statement, so a quote character in a text is stored as it is.
namespace ImportValues {

// Cell i (0-based) of a row, empty when the sheet has fewer columns; never a null text (a
// null text would be written as NULL instead of the empty text).
QString cell(const QStringList &cells, int i);
// The text itself when it is not empty, else the default.
QString orDefault(const QString &text, const QString &fallback);
// A text bound as the empty text rather than NULL when it is empty.
QString nonNull(const QString &text);

// A whole number that fits an integer column ("12", " -3 "), or the default ("2.5", "abc", "").
int integerOr(const QString &text, int fallback);
// A decimal amount as the money columns take it ("12.5"), or 0.
QVariant money(const QString &text);
// A date written yyyy-mm-dd, yyyy/m/d or yyyy-m-d, with or without a time after it; an
// invalid date (2008-2-30) or any other text gives no date.
QDate dateOf(const QString &text);
// The date as the date columns take it, the default when the text holds no date.
QVariant dateOr(const QString &text, const QDate &fallback);

// The page count of a book: empty gives 0, a whole number is taken, and so is a whole number
// followed by a word for pages ("356页", "356 p."), the way catalogues often write it. Any
// other text is no page count: ok is false, because the column holds whole numbers only and
// the database would either refuse or keep a text where a number belongs.
int pagesOf(const QString &text, bool *ok);

} // namespace ImportValues
