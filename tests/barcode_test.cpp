// Barcodes as module patterns: Code 128 in character set A with its check character, the
// symbol table checked against zint's own Code 128 encoder, Code 39 through zint, and values
// that a symbology cannot carry.
#include "print/Barcode.h"

#include <QtTest>

class BarcodeTest : public QObject {
    Q_OBJECT
private slots:
    void code128AOfKnownValues_data();
    void code128AOfKnownValues();
    void symbolTableAgreesWithZint();
    void code39ThroughZint();
    void valuesThatCannotBeEncodedGiveTextOnly_data();
    void valuesThatCannotBeEncodedGiveTextOnly();
};

void BarcodeTest::code128AOfKnownValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("modules");
    // Written out from the Code 128 table: start A (103) 211412, then the characters,
    // the check value (103 + sum of position * value, modulo 103) and stop 2331112.
    // "AB12": A=33 111323, B=34 131123, 1=17 123221, 2=18 223211;
    // check (103 + 33 + 68 + 51 + 72) % 103 = 18, again 223211.
    QTest::newRow("AB12") << QStringLiteral("AB12")
                          << QStringLiteral("11010000100"     // start A 211412
                                            "10100011000"     // A 111323
                                            "10001011000"     // B 131123
                                            "10011100110"     // 1 123221
                                            "11001110010"     // 2 223211
                                            "11001110010"     // check 18
                                            "1100011101011"); // stop
    // "0": 16 = 113222; check (103 + 16) % 103 = 16.
    QTest::newRow("single digit") << QStringLiteral("0")
                                  << QStringLiteral("11010000100"
                                                    "10011101100"
                                                    "10011101100"
                                                    "1100011101011");
    // A tab is a control character, set A only: 9 + 64 = 73 = 142112;
    // "Z" = 58 = 312311; check (103 + 73 + 2*58) % 103 = 292 % 103 = 86 = 411212.
    QTest::newRow("control character") << QStringLiteral("\tZ")
                                       << QStringLiteral("11010000100"
                                                         "10000110100"
                                                         "11101100010"
                                                         "11110100100"
                                                         "1100011101011");
}

void BarcodeTest::code128AOfKnownValues()
{
    QFETCH(QString, value);
    QFETCH(QString, modules);
    const Barcode code = Barcode::encode(Barcode::Symbology::Code128A, value);
    QVERIFY(code.hasBars());
    QCOMPARE(code.moduleString(), modules);
    QCOMPARE(code.text(), value);
    QCOMPARE(code.widths().first(), 2); // the start character opens with a bar of two modules
}

void BarcodeTest::symbolTableAgreesWithZint()
{
    // zint keeps printable ASCII in set B, whose data values are those of set A for
    // space to underscore (0 to 63) and the control characters' values 64 to 95 for the
    // back-quote to DEL. So every data value and the stop are compared with zint's output.
    QString all;
    for (int c = 32; c < 127; ++c)
        all += QChar(c);
    for (int start = 0; start < all.size(); start += 20) {
        const QString value = all.mid(start, 20);
        const Barcode zint = Barcode::zintCode128B(value);
        QVERIFY2(zint.hasBars(), qPrintable(zint.error()));
        QVector<int> expected = Barcode::code128Widths(104); // start B
        int check = 104;
        for (int i = 0; i < value.size(); ++i) {
            const int v = value[i].unicode() - 32;
            expected += Barcode::code128Widths(v);
            check += (i + 1) * v;
        }
        expected += Barcode::code128Widths(check % 103);
        expected += Barcode::code128Widths(106);
        QCOMPARE(zint.widths(), expected);
    }
}

void BarcodeTest::code39ThroughZint()
{
    const Barcode code = Barcode::encode(Barcode::Symbology::Code39, QStringLiteral("TS-001"));
    QVERIFY2(code.hasBars(), qPrintable(code.error()));
    QCOMPARE(code.text(), QStringLiteral("TS-001"));
    // Start and stop are "*": narrow bar, wide space, narrow, narrow, wide, narrow, wide,
    // narrow, narrow; eight characters of nine elements each, with a narrow gap between them.
    const QVector<int> w = code.widths();
    QCOMPARE(w.size(), 8 * 9 + 7);
    const int n = w[0];
    const int wide = w[1];
    QVERIFY(wide > n);
    const QVector<int> star{n, wide, n, n, wide, n, wide, n, n};
    QCOMPARE(w.mid(0, 9), star);
    QCOMPARE(w.mid(w.size() - 9), star);
}

void BarcodeTest::valuesThatCannotBeEncodedGiveTextOnly_data()
{
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("value");
    const int a = int(Barcode::Symbology::Code128A);
    const int c39 = int(Barcode::Symbology::Code39);
    QTest::newRow("128A lower case") << a << QStringLiteral("abc");
    QTest::newRow("128A Chinese") << a << QStringLiteral("图书001");
    QTest::newRow("128A empty") << a << QString();
    QTest::newRow("39 tilde") << c39 << QStringLiteral("A~B");
    QTest::newRow("39 Chinese") << c39 << QStringLiteral("书");
    QTest::newRow("39 empty") << c39 << QString();
    QTest::newRow("39 too long") << c39 << QString(400, QLatin1Char('A'));
}

void BarcodeTest::valuesThatCannotBeEncodedGiveTextOnly()
{
    QFETCH(int, symbology);
    QFETCH(QString, value);
    const Barcode code = Barcode::encode(Barcode::Symbology(symbology), value);
    QVERIFY(!code.hasBars());
    QCOMPARE(code.text(), value);
    QVERIFY(!code.error().isEmpty());
    QCOMPARE(code.moduleCount(), 0);
}

QTEST_GUILESS_MAIN(BarcodeTest)
#include "barcode_test.moc"
