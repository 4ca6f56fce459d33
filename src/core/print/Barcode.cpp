#include "Barcode.h"

#include <zint.h>

#include <memory>

namespace {

// Code 128 symbol patterns: widths of bar, space, bar, space, bar, space (stop has a final
// bar) for the symbol values 0 to 106.
const char *const kCode128Patterns[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312",  "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122",  "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122",  "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123",  "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331",  "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311",  "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411",  "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412",  "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",  "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211",  "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113",  "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112",
};

constexpr int kStartA = 103;
constexpr int kStop = 106;

struct ZintDeleter {
    void operator()(zint_symbol *s) const { ZBarcode_Delete(s); }
};

} // namespace

QVector<int> Barcode::code128Widths(int symbolValue)
{
    QVector<int> widths;
    if (symbolValue < 0 || symbolValue > kStop)
        return widths;
    for (const char *p = kCode128Patterns[symbolValue]; *p; ++p)
        widths.append(*p - '0');
    return widths;
}

QVector<int> Barcode::code128AValues(const QString &value)
{
    QVector<int> values{kStartA};
    int check = kStartA;
    int position = 1;
    for (const QChar c : value) {
        const ushort code = c.unicode();
        if (code > 95)
            return {}; // lower case and everything beyond ASCII are not in set A
        // Set A: space to underscore are values 0 to 63, the control characters 64 to 95.
        const int v = code >= 32 ? code - 32 : code + 64;
        values.append(v);
        check += v * position++;
    }
    values.append(check % 103);
    values.append(kStop);
    return values;
}

Barcode Barcode::encode(Symbology symbology, const QString &value)
{
    if (symbology == Symbology::Code39)
        return fromZint(symbology, BARCODE_CODE39, value);

    Barcode b;
    b.m_symbology = symbology;
    b.m_text = value;
    if (value.isEmpty()) {
        b.m_error = QStringLiteral("条码内容为空");
        return b;
    }
    const QVector<int> values = code128AValues(value);
    if (values.isEmpty()) {
        b.m_error = QStringLiteral("Code 128 A 字符集不能表示“%1”").arg(value);
        return b;
    }
    for (int v : values)
        b.m_widths += code128Widths(v);
    return b;
}

Barcode Barcode::zintCode128B(const QString &value)
{
    return fromZint(Symbology::Code128A, BARCODE_CODE128B, value);
}

Barcode Barcode::fromZint(Symbology symbology, int zintSymbology, const QString &value)
{
    Barcode b;
    b.m_symbology = symbology;
    b.m_text = value;
    if (value.isEmpty()) {
        b.m_error = QStringLiteral("条码内容为空");
        return b;
    }
    std::unique_ptr<zint_symbol, ZintDeleter> symbol(ZBarcode_Create());
    if (!symbol) {
        b.m_error = QStringLiteral("条码库无法分配内存");
        return b;
    }
    symbol->symbology = zintSymbology;
    symbol->input_mode = DATA_MODE;
    const QByteArray data = value.toLatin1();
    // Characters outside Latin-1 would turn into '?' and still encode: refuse them here.
    if (QString::fromLatin1(data) != value) {
        b.m_error = QStringLiteral("条码不能表示“%1”").arg(value);
        return b;
    }
    const int rc = ZBarcode_Encode(
        symbol.get(), reinterpret_cast<const unsigned char *>(data.constData()), data.size());
    if (rc >= ZINT_ERROR || symbol->rows < 1 || symbol->width < 1) {
        b.m_error = QString::fromLatin1(symbol->errtxt);
        return b;
    }
    // zint keeps each row as bits, the first module in the lowest bit of the first byte.
    bool dark = true;
    int run = 0;
    for (int x = 0; x < symbol->width; ++x) {
        const bool set = (symbol->encoded_data[0][x >> 3] >> (x & 7)) & 1;
        if (set == dark) {
            ++run;
            continue;
        }
        b.m_widths.append(run);
        dark = set;
        run = 1;
    }
    if (run > 0)
        b.m_widths.append(run);
    if (b.m_widths.isEmpty() || b.m_widths.first() == 0)
        b.m_widths.clear(); // a symbol that begins with a space is not a linear barcode
    return b;
}

QVector<bool> Barcode::modules() const
{
    QVector<bool> row;
    bool dark = true;
    for (int w : m_widths) {
        for (int i = 0; i < w; ++i)
            row.append(dark);
        dark = !dark;
    }
    return row;
}

int Barcode::moduleCount() const
{
    int n = 0;
    for (int w : m_widths)
        n += w;
    return n;
}

QString Barcode::moduleString() const
{
    QString s;
    for (bool dark : modules())
        s += dark ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}
