#include "Gbk.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One conversion through iconv; on an unconvertible input character the replacement
// bytes are written and the walk goes on.
QByteArray convert(const char *to, const char *from, const QByteArray &input,
                   const QByteArray &replacement, int inputStep)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray out;
    out.reserve(input.size() * 2 + 8);
    char buffer[4096];
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<int>(outPtr - buffer));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: skip the offending unit and mark it.
            out.append(replacement);
            size_t skip = std::min<size_t>(inLeft, static_cast<size_t>(inputStep));
            if (errno == EILSEQ && inputStep == 1) {
                skip = 1;
            } else if (inputStep > 1) {
                // UTF-8 input: skip one whole character.
                unsigned char c = static_cast<unsigned char>(*in);
                skip = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
                skip = std::min(skip, inLeft);
            }
            in += skip;
            inLeft -= skip;
        }
    }
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<int>(outPtr - buffer));
    iconv_close(cd);
    return out;
}

} // namespace

namespace Gbk {

QByteArray encode(const QString &text)
{
    return convert("GBK", "UTF-8", text.toUtf8(), "?", 4);
}

QString decode(const QByteArray &bytes)
{
    return QString::fromUtf8(convert("UTF-8", "GBK", bytes, "\xEF\xBF\xBD", 1));
}

int byteLength(const QString &text)
{
    return encode(text).size();
}

} // namespace Gbk
