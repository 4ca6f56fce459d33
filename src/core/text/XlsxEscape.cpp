#include "XlsxEscape.h"

namespace XlsxEscape {

namespace {

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The unit an escape at text[at] stands for, or -1 when none starts there.
int escapeAt(const QString &text, int at)
{
    if (at + 7 > text.size() || text[at] != u'_' || text[at + 1] != u'x' || text[at + 6] != u'_')
        return -1;
    int value = 0;
    for (int i = at + 2; i < at + 6; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// Characters XML 1.0 cannot hold, and the carriage return, which a reader of XML would
// turn into a line feed.
bool needsEscape(char16_t u)
{
    return (u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFFFE || u == 0xFFFF;
}

void appendEscape(QString *out, char16_t u)
{
    *out += QLatin1String("_x");
    *out += QString::number(u, 16).rightJustified(4, QLatin1Char('0')).toUpper();
    *out += QLatin1Char('_');
}

// How text[i] is stored: 2 for a surrogate pair kept as it is, 7 for an escape, else 1.
int storedLength(const QString &text, int i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return 2;
    if (c.isSurrogate() || needsEscape(c.unicode()) || (c == u'_' && escapeAt(text, i) >= 0))
        return 7;
    return 1;
}

bool isPlain(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const int stored = storedLength(text, i);
        if (stored == 7)
            return false;
        if (stored == 2)
            ++i;
    }
    return true;
}

} // namespace

QString encode(const QString &text, int maxLength)
{
    if (text.size() <= maxLength && isPlain(text))
        return text;
    QString out;
    out.reserve(qMin(text.size(), maxLength));
    for (int i = 0; i < text.size(); ++i) {
        const int stored = storedLength(text, i);
        if (out.size() + stored > maxLength)
            break;
        if (stored == 7) {
            appendEscape(&out, text[i].unicode());
        } else {
            out += text[i];
            if (stored == 2)
                out += text[++i];
        }
    }
    return out;
}

QString decode(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size();) {
        const int value = escapeAt(text, i);
        if (value >= 0) {
            out += QChar(char16_t(value));
            i += 7;
        } else {
            out += text[i++];
        }
    }
    return out;
}

} // namespace XlsxEscape
