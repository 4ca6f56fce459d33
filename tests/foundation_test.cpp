// Configuration file, dialect helpers, money, pinyin initials, connection strings and the
// statement helper: the pieces every window stands on.
#include "admin/PasswordHash.h"
#include "db/ConnectionString.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/SqlDialect.h"
#include "db/Statement.h"
#include "text/Gbk.h"
#include "text/Pinyin.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class FoundationTest : public QObject {
    Q_OBJECT
private slots:
    void iniDefaultsWithoutFile();
    void iniRoundTripKeepsGbkCommentsAndOtherKeys();
    void iniConnectionStringChoice_data();
    void iniConnectionStringChoice();
    void dialectHelpers();
    void moneyParse_data();
    void moneyParse();
    void moneyFormatAndArithmetic();
    void pinyinTableBounds_data();
    void pinyinTableBounds();
    void pinyinWalksCharacterByCharacter_data();
    void pinyinWalksCharacterByCharacter();
    void connectionStringMasksPassword();
    void connectionStringQuotesValues_data();
    void connectionStringQuotesValues();
    void connectionStringReadsBothForms_data();
    void connectionStringReadsBothForms();
    void statementDisplayTextEscapesLiterals();
    void passwordHash();
};

void FoundationTest::iniDefaultsWithoutFile()
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("de.ini")));
    LoginContext ctx;
    ctx.readConfiguration(ini);
    QCOMPARE(ctx.dialect, SqlDialect::Embedded);
    QCOMPARE(ctx.connectionString, QStringLiteral("0"));
    QCOMPARE(ctx.posPort, QStringLiteral("LPT1"));
    QCOMPARE(ctx.softName, QStringLiteral("0"));
    QVERIFY(!ctx.printReceiptAfterLending);
    QVERIFY(!ctx.barcodeDuplicateWarning);
    QVERIFY(!ctx.enterKeySearch);
    QVERIFY(!QFile::exists(ini.path())); // reading never creates the file
}

void FoundationTest::iniRoundTripKeepsGbkCommentsAndOtherKeys()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("de.ini"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Gbk::encode(QStringLiteral("; 图书管理配置\r\n[part1]\r\nsoftname=图书管理系统\r\n"
                                       "custom=保留\r\n\r\n[PosPrt]\r\nPosPort=COM3\r\n")));
    // A line in no valid GBK (written by some other editor) and no final line ending.
    const QByteArray foreignLine("raw=\x80\xff\x81");
    f.write("[other]\r\n" + foreignLine);
    f.close();

    IniFile ini(path);
    QCOMPARE(ini.read(QStringLiteral("PART1"), QStringLiteral("SoftName"), QStringLiteral("0")),
             QStringLiteral("图书管理系统"));
    QVERIFY(ini.write(QStringLiteral("part1"), QStringLiteral("BcCc"), QStringLiteral("1")));
    QVERIFY(ini.write(QStringLiteral("PosPrt"), QStringLiteral("PosPort"), QStringLiteral("LPT2")));
    QVERIFY(ini.write(QStringLiteral("新节"), QStringLiteral("键"), QStringLiteral("值")));

    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    // On disk the file stays GBK: 图书 is B8 C D6 E9 in GBK, never UTF-8 bytes.
    QVERIFY(bytes.contains(Gbk::encode(QStringLiteral("图书管理系统"))));
    QVERIFY(!bytes.contains(QStringLiteral("图书").toUtf8()));
    const QString text = Gbk::decode(bytes);
    QVERIFY(text.startsWith(QStringLiteral("; 图书管理配置")));
    QVERIFY(text.contains(QStringLiteral("custom=保留")));
    QVERIFY(text.indexOf(QStringLiteral("BcCc=1")) < text.indexOf(QStringLiteral("[PosPrt]")));
    QVERIFY(bytes.contains(foreignLine + "\r\n")); // kept byte for byte

    LoginContext ctx;
    ctx.readConfiguration(ini);
    QVERIFY(ctx.barcodeDuplicateWarning);
    QCOMPARE(ctx.posPort, QStringLiteral("LPT2"));
    QCOMPARE(ini.read(QStringLiteral("新节"), QStringLiteral("键"), {}), QStringLiteral("值"));
}

void FoundationTest::iniConnectionStringChoice_data()
{
    QTest::addColumn<QString>("abc");
    QTest::addColumn<QString>("posPort");
    QTest::addColumn<SqlDialect>("dialect");
    QTest::addColumn<QString>("connection");
    QTest::newRow("server takes cs") << "s"
                                     << "COM3" << SqlDialect::Server << "CS";
    QTest::newRow("embedded takes csaccess") << "a"
                                             << "0" << SqlDialect::Embedded << "ACCESS";
    QTest::newRow("other value: csaccess") << "x"
                                           << "" << SqlDialect::Unknown << "ACCESS";
}

void FoundationTest::iniConnectionStringChoice()
{
    QFETCH(QString, abc);
    QFETCH(QString, posPort);
    QFETCH(SqlDialect, dialect);
    QFETCH(QString, connection);
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("de.ini")));
    ini.write(QStringLiteral("part1"), QStringLiteral("abc"), abc);
    ini.write(QStringLiteral("part1"), QStringLiteral("cs"), QStringLiteral("CS"));
    ini.write(QStringLiteral("part1"), QStringLiteral("csaccess"), QStringLiteral("ACCESS"));
    ini.write(QStringLiteral("PosPrt"), QStringLiteral("PosPort"), posPort);
    LoginContext ctx;
    ctx.readConfiguration(ini);
    QCOMPARE(ctx.dialect, dialect);
    QCOMPARE(ctx.connectionString, connection);
    QCOMPARE(ctx.posPort, posPort == QLatin1String("0") ? QStringLiteral("LPT1") : posPort);
}

void FoundationTest::dialectHelpers()
{
    for (SqlDialect d : {SqlDialect::Embedded, SqlDialect::Server}) {
        QCOMPARE(StringQuote(d), QStringLiteral("'"));
        QCOMPARE(DateQuote(d), QStringLiteral("'"));
        QCOMPARE(QuoteEscape(QStringLiteral("O'Brien"), d), QStringLiteral("O''Brien"));
        QCOMPARE(QuoteEscape(QStringLiteral("say \"hi\""), d), QStringLiteral("say \"hi\""));
    }
    QCOMPARE(StringQuote(SqlDialect::Unknown), QString());
    QCOMPARE(dialectFromIni(QStringLiteral("s")), SqlDialect::Server);
    QCOMPARE(dialectToIni(SqlDialect::Embedded), QStringLiteral("a"));
    QCOMPARE(dateLiteral(QDate(2026, 3, 7)), QStringLiteral("'2026-03-07'"));
    QCOMPARE(dateTimeLiteral(QDateTime(QDate(2026, 3, 7), QTime(9, 5, 2))),
             QStringLiteral("'2026-03-07 09:05:02'"));
    QCOMPARE(textLiteral(QStringLiteral("It's")), QStringLiteral("'It''s'"));
    QCOMPARE(limitClause(200), QStringLiteral(" limit 200"));
}

void FoundationTest::moneyParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("whole") << "5" << true << qint64(50000);
    QTest::newRow("decimals") << "12.5" << true << qint64(125000);
    QTest::newRow("smallest") << "0.0001" << true << qint64(1);
    QTest::newRow("rounds up fifth decimal") << "0.00005" << true << qint64(1);
    QTest::newRow("rounds down fifth decimal") << "1.23444" << true << qint64(12344);
    QTest::newRow("negative") << "-3.25" << true << qint64(-32500);
    QTest::newRow("blanks around") << "  7 " << true << qint64(70000);
    QTest::newRow("leading point") << ".5" << true << qint64(5000);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("letters") << "12a" << false << qint64(0);
    QTest::newRow("two points") << "1.2.3" << false << qint64(0);
    QTest::newRow("sign only") << "-" << false << qint64(0);
    QTest::newRow("too large") << "123456789012345" << false << qint64(0);
}

void FoundationTest::moneyParse()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, raw);
    const auto m = Money::parse(text);
    QCOMPARE(m.has_value(), valid);
    if (valid)
        QCOMPARE(static_cast<qint64>(m->raw()), raw);
}

void FoundationTest::moneyFormatAndArithmetic()
{
    QCOMPARE(Money::fromYuan(5).toString(), QStringLiteral("5"));
    QCOMPARE(Money::fromRaw(125000).toString(), QStringLiteral("12.5"));
    QCOMPARE(Money::fromRaw(1).toString(), QStringLiteral("0.0001"));
    QCOMPARE(Money::fromRaw(-32500).toString(), QStringLiteral("-3.25"));
    QCOMPARE(Money().toString(), QStringLiteral("0"));
    QCOMPARE(Money::fromRaw(125050).toFixed2(), QStringLiteral("12.51"));
    // Ten times 0.1 is exactly 1, which a double sum is not.
    Money sum;
    for (int i = 0; i < 10; ++i)
        sum += *Money::parse(QStringLiteral("0.1"));
    QCOMPARE(sum, Money::fromYuan(1));
    QCOMPARE(Money::fromRaw(1000) * 3, Money::fromRaw(3000));
    QCOMPARE(Money::fromYuan(10).times(1.5), Money::fromYuan(15));
    QCOMPARE(Money::fromVariant(QVariant(2.675)).raw(), qint64(26750));
    QCOMPARE(Money::fromVariant(QVariant(QStringLiteral("19.9900"))).toString(),
             QStringLiteral("19.99"));
    QCOMPARE(Money::fromVariant(QVariant()).raw(), qint64(0));
}

void FoundationTest::pinyinTableBounds_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<QString>("letter");
    QTest::newRow("B0A1 first hanzi") << 0xB0 << 0xA1 << "A";
    QTest::newRow("B0A0 below the table") << 0xB0 << 0xA0 << " ";
    QTest::newRow("B0C4 last A") << 0xB0 << 0xC4 << "A";
    QTest::newRow("B0C5 first B") << 0xB0 << 0xC5 << "B";
    QTest::newRow("C5B6 O") << 0xC5 << 0xB6 << "O";
    QTest::newRow("D7F9 last Z") << 0xD7 << 0xF9 << "Z";
    QTest::newRow("D7FA level two") << 0xD7 << 0xFA << " ";
}

void FoundationTest::pinyinTableBounds()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(QString, letter);
    QCOMPARE(QString(PinyinInitial(static_cast<unsigned char>(first),
                                   static_cast<unsigned char>(second))),
             letter);
}

void FoundationTest::pinyinWalksCharacterByCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("initials");
    QTest::newRow("hanzi") << "红楼梦"
                           << "HLM";
    QTest::newRow("leading letter keeps the rest in step") << "a红楼梦"
                                                           << " HLM";
    QTest::newRow("letters inside") << "C语言程序设计"
                                    << " YYCXSJ";
    QTest::newRow("two letters") << "ab"
                                 << "  ";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("level-two hanzi") << "鑫"
                                     << " ";
}

void FoundationTest::pinyinWalksCharacterByCharacter()
{
    QFETCH(QString, text);
    QFETCH(QString, initials);
    QCOMPARE(PinyinInitials(text), initials);
}

void FoundationTest::connectionStringMasksPassword()
{
    const QString cs =
        ConnectionString::forServer(QStringLiteral("127.0.0.1:5433"), QStringLiteral("book"),
                                    QStringLiteral("postgres"), QStringLiteral("s3cret"));
    const ConnectionString parsed = ConnectionString::parse(cs);
    QCOMPARE(parsed.value(QStringLiteral("data source")), QStringLiteral("127.0.0.1:5433"));
    QCOMPARE(parsed.value(QStringLiteral("Initial Catalog")), QStringLiteral("book"));
    QVERIFY(!parsed.masked().contains(QStringLiteral("s3cret")));
    QVERIFY(parsed.masked().contains(QStringLiteral("Password=******;")));
    QCOMPARE(parsed.toString(), cs);
}

void FoundationTest::connectionStringQuotesValues_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "s3cret"
                           << "s3cret";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("equals sign") << "a=b"
                                 << "a=b";
    QTest::newRow("semicolon") << "a;b"
                               << "\"a;b\"";
    QTest::newRow("looks like keys") << "x;Data Source=leak;y=z"
                                     << "\"x;Data Source=leak;y=z\"";
    QTest::newRow("double quote inside") << "a\"b;c"
                                         << "'a\"b;c'";
    QTest::newRow("both quotes") << "a'b\"c;"
                                 << "\"a'b\"\"c;\"";
    QTest::newRow("starts with a double quote") << "\"x"
                                                << "'\"x'";
    QTest::newRow("starts with a single quote") << "'x"
                                                << "\"'x\"";
    QTest::newRow("leading blank") << " pw"
                                   << "\" pw\"";
    QTest::newRow("trailing blank") << "pw "
                                    << "\"pw \"";
    QTest::newRow("umlaut") << "pässwort"
                            << "pässwort";
}

void FoundationTest::connectionStringQuotesValues()
{
    QFETCH(QString, password);
    QFETCH(QString, written);
    const QString cs = ConnectionString::forServer(
        QStringLiteral("db:5433"), QStringLiteral("book"), QStringLiteral("u"), password);
    QCOMPARE(cs, QStringLiteral("Provider=PostgreSQL;Password=") + written +
                     QStringLiteral(";User ID=u;Initial Catalog=book;Data Source=db:5433;"));
    const ConnectionString parsed = ConnectionString::parse(cs);
    QCOMPARE(parsed.value(QStringLiteral("Password")), password);
    QCOMPARE(parsed.value(QStringLiteral("User ID")), QStringLiteral("u"));
    QCOMPARE(parsed.value(QStringLiteral("Data Source")), QStringLiteral("db:5433"));
    QCOMPARE(parsed.toString(), cs);
    QCOMPARE(parsed.hasPassword(), !password.isEmpty());
    // Nothing of the password shows, its quotes included.
    QCOMPARE(parsed.masked(), QStringLiteral("Provider=PostgreSQL;Password=******;User ID=u;"
                                             "Initial Catalog=book;Data Source=db:5433;"));
}

void FoundationTest::connectionStringReadsBothForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("password");
    // Strings written before values were quoted are read as they were.
    QTest::newRow("unquoted") << "Password=s3cret;User ID=u;"
                              << "s3cret";
    QTest::newRow("unquoted with blanks") << "Password= pw ;User ID=u;"
                                          << " pw ";
    QTest::newRow("unquoted, last without semicolon") << "User ID=u;Password=pw"
                                                      << "pw";
    QTest::newRow("double quotes") << "Password=\"a;b\";User ID=u;"
                                   << "a;b";
    QTest::newRow("doubled quote") << "Password=\"a\"\"b;\";User ID=u"
                                   << "a\"b;";
    QTest::newRow("single quotes") << "Password='a\"b;c';User ID=u;"
                                   << "a\"b;c";
    QTest::newRow("blanks around the quotes") << " Password = \"a;b\" ; User ID=u;"
                                              << "a;b";
    QTest::newRow("quote not closed") << "Password=\"ab;User ID=u;"
                                      << "\"ab";
    QTest::newRow("text after the closing quote") << "Password=\"a\"b;User ID=u;"
                                                  << "\"a\"b";
    QTest::newRow("part without a key") << "junk;Password=p;User ID=u"
                                        << "p";
}

void FoundationTest::connectionStringReadsBothForms()
{
    QFETCH(QString, text);
    QFETCH(QString, password);
    const ConnectionString cs = ConnectionString::parse(text);
    QCOMPARE(cs.value(QStringLiteral("password")), password);
    QCOMPARE(cs.value(QStringLiteral("User ID")), QStringLiteral("u"));
    QCOMPARE(ConnectionString::parse(cs.toString()).value(QStringLiteral("Password")), password);
}

void FoundationTest::statementDisplayTextEscapesLiterals()
{
    Statement st(QStringLiteral("select * from 读者库 where 读者编号="));
    st.value(QStringLiteral("O'Brien")).text(QStringLiteral(" and 标记='?' and 卡内金额>"));
    st.value(Money::fromRaw(125000).toDouble()).text(QStringLiteral(" and 有效期<"));
    st.value(QDate(2026, 1, 2)).text(QStringLiteral(" and 备注 is ")).value(QVariant());
    QCOMPARE(st.sql(), QStringLiteral("select * from 读者库 where 读者编号=? and 标记='?' and "
                                      "卡内金额>? and 有效期<? and 备注 is ?"));
    QCOMPARE(st.displayText(),
             QStringLiteral("select * from 读者库 where 读者编号='O''Brien' and 标记='?' and "
                            "卡内金额>12.5 and 有效期<'2026-01-02' and 备注 is NULL"));
}

void FoundationTest::passwordHash()
{
    const QString stored = PasswordHash::make(QStringLiteral("8888"));
    QVERIFY(PasswordHash::isHash(stored));
    QVERIFY(!stored.contains(QStringLiteral("8888")));
    QVERIFY(PasswordHash::matches(QStringLiteral("8888"), stored));
    QVERIFY(!PasswordHash::matches(QStringLiteral("8889"), stored));
    QVERIFY(stored != PasswordHash::make(QStringLiteral("8888"))); // salted
    // An older plain-text value is compared as text.
    QVERIFY(PasswordHash::matches(QStringLiteral("abc"), QStringLiteral("abc")));
    QVERIFY(!PasswordHash::isHash(QStringLiteral("abc")));
}

QTEST_GUILESS_MAIN(FoundationTest)
#include "foundation_test.moc"
