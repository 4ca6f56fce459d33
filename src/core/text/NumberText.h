#pragma once

#include <QString>

// Numbers as librarians type them: with the Chinese input method on, digits, the point and
// the signs come in full width ("３０", "０.５"). Every number field reads them alike.
namespace NumberText {

// The text trimmed (ideographic blanks too) with full-width and other decimal digits, the
// full-width point and signs replaced by their ASCII forms. Other characters stay as they
// are, so that a wrong input is still refused by the parser that follows.
QString normalized(const QString &text);

// A whole number typed into a field; false when the text is not one (or out of range).
bool toInt(const QString &text, int *value);

} // namespace NumberText
