#include "NumberText.h"

namespace NumberText {

QString normalized(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.isDigit()) {
            out += QChar(u'0' + c.digitValue());
            continue;
        }
        switch (c.unicode()) {
        case 0xFF0E: // ．
        case 0x3002: // 。 typed for a point by the Chinese input method
            out += QLatin1Char('.');
            break;
        case 0xFF0B: // ＋
            out += QLatin1Char('+');
            break;
        case 0xFF0D: // －
        case 0x2212: // minus sign
            out += QLatin1Char('-');
            break;
        case 0x3000: // ideographic blank
            out += QLatin1Char(' ');
            break;
        default:
            out += c;
        }
    }
    return out.trimmed();
}

bool toInt(const QString &text, int *value)
{
    bool ok = false;
    const int n = normalized(text).toInt(&ok);
    if (ok && value)
        *value = n;
    return ok;
}

} // namespace NumberText
