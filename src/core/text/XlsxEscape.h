#pragma once

#include <QString>

// The escapes with which .xlsx files keep characters that XML cannot hold: "_xHHHH_" stands
// for the UTF-16 unit HHHH (hex), and "_x005F_" for an underscore, so that the text
// "_x000D_" itself is stored as "_x005F_x000D_".
namespace XlsxEscape {

// The text as a cell stores it: NUL and the other control characters (tab and line feed
// excepted), U+FFFE, U+FFFF and unpaired surrogates as escapes, and the underscore that
// starts a literal "_xHHHH_" as "_x005F_". The result is at most maxLength units long; a
// longer one is cut before the escape or surrogate pair that would cross the limit.
QString encode(const QString &text, int maxLength);

// The text a cell holds: every escape replaced by the unit it stands for.
QString decode(const QString &text);

} // namespace XlsxEscape
