// de.ini on disk: every character is kept, a file saved as UTF-8 stays UTF-8, a line break
// or a file that cannot be read stops a write before anything is lost, and a file with a
// password is closed to other users.
#include "db/ConnectionString.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "text/Gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A de.ini as the installation writes it, in GBK, with a line the program never writes.
QByteArray gbkIni()
{
    return Gbk::encode(QStringLiteral("; 图书管理配置\r\n[part1]\r\nsoftname=城南图书馆\r\n")) +
           "unit=5\x80\r\n";
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadUser | QFileDevice::WriteUser;
constexpr QFileDevice::Permissions kEveryoneReads =
    kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther;

} // namespace

class IniFileTest : public QObject {
    Q_OBJECT
private slots:
    void valuesKeepEveryCharacter_data();
    void valuesKeepEveryCharacter();
    void utf8FileStaysUtf8_data();
    void utf8FileStaysUtf8();
    void lineBreaksAreRefused_data();
    void lineBreaksAreRefused();
    void unreadableFileIsNeverWritten_data();
    void unreadableFileIsNeverWritten();
    void passwordClosesTheFile_data();
    void passwordClosesTheFile();
};

void IniFileTest::valuesKeepEveryCharacter_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("stored"); // the value's bytes in the file
    QTest::newRow("umlaut") << "pässwort" << QByteArray::fromHex("7081308a317373776f7274");
    QTest::newRow("path") << "lib-ö/book.db"
                          << QByteArray::fromHex("6c69622d81308b322f626f6f6b2e6462");
    QTest::newRow("hanzi, as in GBK")
        << "城南图书馆" << QByteArray::fromHex("b3c7c4cfcdbccae9b9dd");
    QTest::newRow("euro sign") << "5€" << QByteArray::fromHex("35a2e3");
    QTest::newRow("beyond 16 bits") << "𠀀😀" << QByteArray::fromHex("953282369439fc36");
    QTest::newRow("hangul") << "도서관" << QByteArray::fromHex("82399a338331f3398237e931");
}

void IniFileTest::valuesKeepEveryCharacter()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, stored);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("de.ini"));
    QVERIFY(writeBytes(path, gbkIni()));
    IniFile ini(path);
    QCOMPARE(ini.read("part1", "unit", {}), QStringLiteral("5€")); // code page 936's euro
    QVERIFY2(ini.write("part1", "PassWord", value), qPrintable(ini.errorString()));
    QCOMPARE(ini.read("part1", "PassWord", {}), value);
    // The lines that were there keep their bytes; the new one is GB18030.
    QCOMPARE(fileBytes(path), gbkIni() + "PassWord=" + stored + "\r\n");
    QCOMPARE(ini.read("part1", "softname", {}), QStringLiteral("城南图书馆"));

    // A new file is GB18030 too.
    IniFile fresh(dir.filePath(QStringLiteral("new.ini")));
    QVERIFY(fresh.write("part1", "csaccess", value));
    QCOMPARE(fileBytes(fresh.path()), "[part1]\r\ncsaccess=" + stored + "\r\n");
    QCOMPARE(fresh.read("part1", "csaccess", {}), value);
}

void IniFileTest::utf8FileStaysUtf8_data()
{
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<QString>("softname");
    QTest::newRow("with byte order mark") << QByteArray("\xEF\xBB\xBF") << "城南图书馆";
    QTest::newRow("without mark") << QByteArray() << "城南图书馆";
    // Without a mark an ASCII file is GB18030 as much as UTF-8; with one it stays UTF-8.
    QTest::newRow("mark, ASCII text") << QByteArray("\xEF\xBB\xBF") << "Library";
}

void IniFileTest::utf8FileStaysUtf8()
{
    QFETCH(QByteArray, mark);
    QFETCH(QString, softname);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("de.ini"));
    const QByteArray original =
        mark + QStringLiteral("[part1]\nsoftname=%1\nabc=a\ncsaccess=Data Source=lib-ö/book.db;\n")
                   .arg(softname)
                   .toUtf8();
    QVERIFY(writeBytes(path, original));
    IniFile ini(path);
    QCOMPARE(ini.read("part1", "softname", "0"), softname);
    LoginContext context;
    context.readConfiguration(ini);
    QCOMPARE(context.softName, softname);
    QCOMPARE(context.connectionString,
             QStringLiteral("Data Source=") + QDir(dir.path()).filePath("lib-ö/book.db") + ';');

    QVERIFY(ini.write("part1", "company", QStringLiteral("城南区文化馆")));
    QCOMPARE(fileBytes(path), original + QStringLiteral("company=城南区文化馆\r\n").toUtf8());
    QCOMPARE(ini.read("part1", "company", {}), QStringLiteral("城南区文化馆"));
}

void IniFileTest::lineBreaksAreRefused_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("LF") << "PassWord"
                        << "a\nabc=s";
    QTest::newRow("CR LF") << "PassWord"
                           << "a\r\n[part2]";
    QTest::newRow("CR") << "PassWord"
                        << "a\rb";
    QTest::newRow("in the key") << "Pass\nWord"
                                << "a";
}

void IniFileTest::lineBreaksAreRefused()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("de.ini"));
    QVERIFY(writeBytes(path, gbkIni()));
    IniFile ini(path);
    QVERIFY(!ini.write("part1", key, value));
    QVERIFY(ini.errorString().contains(QStringLiteral("换行")));
    QCOMPARE(fileBytes(path), gbkIni());
    // Written together with other keys, none of them is written.
    QVERIFY(
        !ini.write("part1", {{QStringLiteral("softname"), QStringLiteral("新馆")}, {key, value}}));
    QCOMPARE(fileBytes(path), gbkIni());
    // No file comes into being either.
    IniFile fresh(dir.filePath(QStringLiteral("new.ini")));
    QVERIFY(!fresh.write("part1", key, value));
    QVERIFY(!QFileInfo::exists(fresh.path()));
}

void IniFileTest::unreadableFileIsNeverWritten_data()
{
    // Tests run as root, whom no permission stops from reading: these cannot be read by
    // anybody.
    QTest::addColumn<QString>("kind");
    QTest::newRow("link to itself") << "loop";
    QTest::newRow("link to nothing") << "broken";
    QTest::newRow("folder") << "folder";
    QTest::newRow("oversized") << "large";
}

void IniFileTest::unreadableFileIsNeverWritten()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("de.ini"));
    const QString target = dir.filePath(QStringLiteral("elsewhere.ini"));
    const QByteArray large = gbkIni() + QByteArray(2 * 1024 * 1024, ';');
    if (kind == QLatin1String("loop"))
        QVERIFY(QFile::link(QStringLiteral("de.ini"), path));
    else if (kind == QLatin1String("broken"))
        QVERIFY(QFile::link(target, path));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else
        QVERIFY(writeBytes(path, large));
    const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System);

    IniFile ini(path);
    QString error;
    QVERIFY(!ini.isReadable(&error));
    QVERIFY(error.contains(path));
    QCOMPARE(ini.read("part1", "softname", "0"), QStringLiteral("0"));
    QVERIFY(!ini.write("part1", "softname", QStringLiteral("图书")));
    QVERIFY(ini.errorString().startsWith(QStringLiteral("无法读取配置文件 ") + path));

    // What is at the path is as it was, and nothing was made beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System), entries);
    const QFileInfo info(path);
    if (kind == QLatin1String("loop"))
        QCOMPARE(info.symLinkTarget(), path);
    else if (kind == QLatin1String("broken"))
        QCOMPARE(info.symLinkTarget(), target);
    else if (kind == QLatin1String("folder"))
        QVERIFY(info.isDir());
    else
        QCOMPARE(fileBytes(path), large);
}

void IniFileTest::passwordClosesTheFile_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no password") << "softname"
                                 << "城南图书馆" << false;
    QTest::newRow("server password") << "PassWord"
                                     << "pässwort" << true;
    QTest::newRow("empty password") << "PassWord" << QString() << false;
    QTest::newRow("connection string with password")
        << "cs"
        << ConnectionString::forServer(QStringLiteral("db"), QStringLiteral("book"),
                                       QStringLiteral("u"), QStringLiteral("a;b"))
        << true;
    QTest::newRow("connection string without password")
        << "cs"
        << ConnectionString::forServer(QStringLiteral("db"), QStringLiteral("book"),
                                       QStringLiteral("u"), QString())
        << false;
}

void IniFileTest::passwordClosesTheFile()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, closed);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("de.ini"));
    QVERIFY(writeBytes(path, gbkIni()));
    QVERIFY(QFile::setPermissions(path, kEveryoneReads));
    IniFile ini(path);
    QVERIFY(ini.write("part1", key, value));
    QCOMPARE(QFile::permissions(path), closed ? kOwnerOnly : kEveryoneReads);
    // A later write of another key keeps the file as closed as it is.
    QVERIFY(ini.write("PosPrt", "PosPort", QStringLiteral("COM3")));
    QCOMPARE(QFile::permissions(path), closed ? kOwnerOnly : kEveryoneReads);

    // A new file is closed as well when it holds a password.
    IniFile fresh(dir.filePath(QStringLiteral("new.ini")));
    QVERIFY(fresh.write("part1", key, value));
    if (closed)
        QCOMPARE(QFile::permissions(fresh.path()), kOwnerOnly);
}

QTEST_GUILESS_MAIN(IniFileTest)
#include "inifile_test.moc"
