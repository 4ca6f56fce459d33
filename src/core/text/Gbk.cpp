#include "Gbk.h"

#include <cerrno>
#include <iconv.h>

namespace {

// What a conversion does with an input unit it cannot convert.
struct OnInvalid {
    bool fail = false;      // give up: the conversion returns false
    QByteArray replacement; // else these bytes stand for the unit
    int inputStep = 1;      // bytes skipped: 1 for a byte, 4 for a UTF-8 character
    bool euroAt80 = false;  // a lone byte 0x80 is the euro sign of code page 936
};

// One conversion through iconv.
bool convert(const char *to, const char *from, const QByteArray &input, const OnInvalid &policy,
             QByteArray *output)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    QByteArray out;
    out.reserve(input.size() * 2 + 8);
    char buffer[4096];
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    bool ok = true;
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<int>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: an input unit that cannot be converted.
        if (policy.fail) {
            ok = false;
            break;
        }
        const unsigned char c = static_cast<unsigned char>(*in);
        size_t skip = 1;
        if (policy.euroAt80 && c == 0x80)
            out.append("\xE2\x82\xAC");
        else
            out.append(policy.replacement);
        if (policy.inputStep > 1) // UTF-8 input: skip one whole character.
            skip = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        skip = std::min(skip, inLeft);
        in += skip;
        inLeft -= skip;
    }
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<int>(outPtr - buffer));
    iconv_close(cd);
    if (ok)
        *output = out;
    return ok;
}

QByteArray replacing(const char *to, const char *from, const QByteArray &input,
                     const OnInvalid &policy)
{
    QByteArray out;
    convert(to, from, input, policy, &out);
    return out;
}

} // namespace

namespace Gbk {

QByteArray encode(const QString &text)
{
    return replacing("GBK", "UTF-8", text.toUtf8(), {false, "?", 4, false});
}

QString decode(const QByteArray &bytes)
{
    return QString::fromUtf8(replacing("UTF-8", "GBK", bytes, {false, "\xEF\xBF\xBD", 1, false}));
}

int byteLength(const QString &text)
{
    return encode(text).size();
}

bool encodeGb18030(const QString &text, QByteArray *bytes)
{
    // A lone surrogate is no character at all; UTF-8 would turn it into something else.
    if (!text.isValidUtf16())
        return false;
    return convert("GB18030", "UTF-8", text.toUtf8(), {true, {}, 4, false}, bytes);
}

QString decodeGb18030(const QByteArray &bytes)
{
    return QString::fromUtf8(
        replacing("UTF-8", "GB18030", bytes, {false, "\xEF\xBF\xBD", 1, true}));
}

} // namespace Gbk
