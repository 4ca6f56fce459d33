#include "Pinyin.h"

#include "Gbk.h"

#include <iterator>

namespace {

struct Range {
    unsigned from;
    unsigned to;
    char letter;
};

// GB2312 level-1 hanzi are ordered by reading; each range holds one initial.
constexpr Range kRanges[] = {
    {0xB0A1, 0xB0C4, 'A'}, {0xB0C5, 0xB2C0, 'B'}, {0xB2C1, 0xB4ED, 'C'}, {0xB4EE, 0xB6E9, 'D'},
    {0xB6EA, 0xB7A1, 'E'}, {0xB7A2, 0xB8C0, 'F'}, {0xB8C1, 0xB9FD, 'G'}, {0xB9FE, 0xBBF6, 'H'},
    {0xBBF7, 0xBFA5, 'J'}, {0xBFA6, 0xC0AB, 'K'}, {0xC0AC, 0xC2E7, 'L'}, {0xC2E8, 0xC4C2, 'M'},
    {0xC4C3, 0xC5B5, 'N'}, {0xC5B6, 0xC5BD, 'O'}, {0xC5BE, 0xC6D9, 'P'}, {0xC6DA, 0xC8BA, 'Q'},
    {0xC8BB, 0xC8F5, 'R'}, {0xC8F6, 0xCBF9, 'S'}, {0xCBFA, 0xCDD9, 'T'}, {0xCDDA, 0xCEF3, 'W'},
    {0xCEF4, 0xD188, 'X'}, {0xD189, 0xD4D0, 'Y'}, {0xD4D1, 0xD7F9, 'Z'},
};

} // namespace

QChar PinyinInitial(unsigned char first, unsigned char second)
{
    const unsigned code = first * 256u + second;
    for (const Range &r : kRanges) {
        if (code >= r.from && code <= r.to)
            return QLatin1Char(r.letter);
    }
    return QLatin1Char(' ');
}

QString PinyinInitials(const QString &text)
{
    QString result;
    const QByteArray bytes = Gbk::encode(text);
    for (int i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80 || i + 1 >= bytes.size()) {
            result += QLatin1Char(' ');
            ++i;
            continue;
        }
        result += PinyinInitial(lead, static_cast<unsigned char>(bytes[i + 1]));
        i += 2;
    }
    return result;
}
