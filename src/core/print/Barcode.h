#pragma once

#include <QString>
#include <QVector>

// A one-dimensional barcode as bars and spaces, ready to be drawn as rectangles.
// Code 39 is encoded by zint; Code 128 in character set A (which zint cannot be told to
// keep to) is encoded here from the Code 128 symbol table, start A, data, check, stop.
// A value the symbology cannot carry gives a barcode without bars: only its text is printed.
class Barcode {
public:
    enum class Symbology { Code39, Code128A };

    static Barcode encode(Symbology symbology, const QString &value);

    Symbology symbology() const { return m_symbology; }
    // The human-readable text printed under the bars: the value itself.
    const QString &text() const { return m_text; }
    bool hasBars() const { return !m_widths.isEmpty(); }
    // Why there are no bars, for a tooltip or a log.
    const QString &error() const { return m_error; }

    // Element widths in modules, alternating bar and space, beginning with a bar.
    const QVector<int> &widths() const { return m_widths; }
    // The same as one row of modules: true for a dark module. No quiet zones.
    QVector<bool> modules() const;
    int moduleCount() const;
    // "1101..." for logs and tests.
    QString moduleString() const;

    // The Code 128 symbol values of a set A encoding: start A (103), one value per
    // character, the check value (weighted sum modulo 103) and stop (106). Empty when a
    // character is outside set A (ASCII 0 to 95).
    static QVector<int> code128AValues(const QString &value);
    // The element widths of one Code 128 symbol value (0 to 106).
    static QVector<int> code128Widths(int symbolValue);
    // Set B through zint, for checking the symbol table against zint's encoder.
    static Barcode zintCode128B(const QString &value);

private:
    static Barcode fromZint(Symbology symbology, int zintSymbology, const QString &value);

    Symbology m_symbology = Symbology::Code39;
    QString m_text;
    QVector<int> m_widths;
    QString m_error;
};
