// Reading the web catalogue's pages: the steps on GBK bytes, whole pages, the settings.
#include "catalogue/CatalogueScraper.h"
#include "catalogue/LookupSettings.h"
#include "db/IniFile.h"
#include "text/Gbk.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray gbk(const QString &text)
{
    return Gbk::encode(text);
}

QString text(const QByteArray &bytes)
{
    return Gbk::decode(bytes);
}

// A catalogue link as the rows hold it: the link text starts two bytes after the marker.
QString link(const QString &linkText)
{
    return QStringLiteral("<A HREF=\"javascript:open_window(\"http://x/F?func=service&"
                          "service_type=TAG\");\">") +
           linkText + QStringLiteral("</A>");
}

QByteArray fixture(const QString &name)
{
    QFile f(QStringLiteral(TSGL_TEST_DATA "/lookup/") + name);
    f.open(QIODevice::ReadOnly);
    return CatalogueScraper::pageBytes(f.readAll().replace("%BASE%", "http://127.0.0.1:1"));
}

} // namespace

class LookupScraperTest : public QObject {
    Q_OBJECT
private slots:
    void removeBlanks();
    void titleAndAuthor_data();
    void titleAndAuthor();
    void publication_data();
    void publication();
    void classNumberAndSummary();
    void wholePageHit();
    void pageWithoutMarkers_data();
    void pageWithoutMarkers();
    void everyCutOfAPageReadsSafely();
    void formAddress_data();
    void formAddress();
    void queryAddressTrimsAndEncodes();
    void pageBytesConvertsUtf8ToGbk();
    void settingsFromIni();
    void serverLines_data();
    void serverLines();
};

void LookupScraperTest::removeBlanks()
{
    QCOMPARE(CatalogueScraper::removeBlanks("a b&nbsp;c  d"), QByteArray("abcd"));
    QCOMPARE(CatalogueScraper::removeBlanks(""), QByteArray());
}

void LookupScraperTest::titleAndAuthor_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("author");
    QTest::newRow("chinese") << link(QStringLiteral("数据结构[专著]/某某编著"))
                             << QStringLiteral("数据结构") << QStringLiteral("某某编著");
    QTest::newRow("blanks removed")
        << link(QStringLiteral("Data Structures&nbsp;[专著] / John Smith"))
        << QStringLiteral("DataStructures") << QStringLiteral("JohnSmith");
    QTest::newRow("no monograph mark: no title")
        << link(QStringLiteral("数据结构/某某")) << QString() << QStringLiteral("某某");
    QTest::newRow("no slash: author after the mark")
        << link(QStringLiteral("数据结构[专著]某某")) << QStringLiteral("数据结构")
        << QStringLiteral("某某");
    QTest::newRow("no link") << QStringLiteral("题名与责任 数据结构[专著]/某某")
                             << QStringLiteral("没有找到名称!") << QString();
    QTest::newRow("link never closed")
        << QStringLiteral("<A HREF=\"service_type=TAG\");") << QString() << QString();
}

void LookupScraperTest::titleAndAuthor()
{
    QFETCH(QString, section);
    QFETCH(QString, title);
    QFETCH(QString, author);
    QCOMPARE(text(CatalogueScraper::title(gbk(section))), title);
    QCOMPARE(text(CatalogueScraper::author(gbk(section))), author);
}

void LookupScraperTest::publication_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("publisher");
    QTest::addColumn<QString>("year");
    QTest::newRow("full") << link(QStringLiteral("北京 : 某出版社, 2003")) << QStringLiteral("北京")
                          << QStringLiteral("某出版社") << QStringLiteral("2003");
    QTest::newRow("no comma") << link(QStringLiteral("北京:某出版社")) << QStringLiteral("北京")
                              << QString() << QString();
    QTest::newRow("no colon") << link(QStringLiteral("某出版社,2003")) << QString()
                              << QStringLiteral("某出版社") << QStringLiteral("2003");
    QTest::newRow("short year") << link(QStringLiteral("北京:某出版社,03"))
                                << QStringLiteral("北京") << QStringLiteral("某出版社")
                                << QStringLiteral("03");
    QTest::newRow("no link") << QStringLiteral("北京:某出版社,2003") << QString() << QString()
                             << QString();
}

void LookupScraperTest::publication()
{
    QFETCH(QString, row);
    QFETCH(QString, place);
    QFETCH(QString, publisher);
    QFETCH(QString, year);
    const QByteArray info = CatalogueScraper::publicationInfo(gbk(row));
    QCOMPARE(text(CatalogueScraper::publicationPlace(info)), place);
    QCOMPARE(text(CatalogueScraper::publisher(info)), publisher);
    QCOMPARE(text(CatalogueScraper::publicationYear(info)), year);
}

void LookupScraperTest::classNumberAndSummary()
{
    QCOMPARE(text(CatalogueScraper::classNumber(gbk(link(QStringLiteral(" TP311.12 "))))),
             QStringLiteral("TP311.12"));
    QCOMPARE(text(CatalogueScraper::classNumber(gbk(QStringLiteral("TP311.12")))), QString());
    QCOMPARE(text(CatalogueScraper::summary(
                 gbk(QStringLiteral("</td><td align=left > 一本书。 </td>")))),
             QStringLiteral("一本书。"));
    QCOMPARE(text(CatalogueScraper::summary(gbk(QStringLiteral("<td> 一本书。</td>")))), QString());
    QCOMPARE(text(CatalogueScraper::summary(gbk(QStringLiteral("align=left >没有结尾")))),
             QString());
}

void LookupScraperTest::wholePageHit()
{
    for (const QString &name : {QStringLiteral("hit.html"), QStringLiteral("hit-gbk.html")}) {
        QFile f(QStringLiteral(TSGL_TEST_DATA "/lookup/") + name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray type =
            name.contains(QLatin1String("gbk")) ? "text/html; charset=GBK" : "text/html";
        const CatalogueBook b = CatalogueScraper::read(
            CatalogueScraper::pageBytes(f.readAll(), QString::fromLatin1(type)));
        QVERIFY(b.found());
        QCOMPARE(b.title, QStringLiteral("数据结构"));
        QCOMPARE(b.author, QStringLiteral("严蔚敏,吴伟民编著"));
        QCOMPARE(b.classNumber, QStringLiteral("TP311.12"));
        QCOMPARE(b.place, QStringLiteral("北京"));
        QCOMPARE(b.publisher, QStringLiteral("清华大学出版社"));
        QCOMPARE(b.year, QStringLiteral("1997"));
        QCOMPARE(b.summary,
                 QStringLiteral("本书系统地介绍了各种类型的数据结构和查找、排序的各种方法。"));
    }
}

void LookupScraperTest::pageWithoutMarkers_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::newRow("miss") << fixture(QStringLiteral("miss.html"));
    QTest::newRow("captions without links") << fixture(QStringLiteral("nomarkers.html"));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe<A>\x81", 8);
}

void LookupScraperTest::pageWithoutMarkers()
{
    QFETCH(QByteArray, page);
    const CatalogueBook b = CatalogueScraper::read(page);
    QVERIFY(!b.found());
    QCOMPARE(b.title, CatalogueScraper::notFoundTitle());
    // A row whose caption or link is missing gives an empty value.
    QCOMPARE(b.author, QString());
    QCOMPARE(b.classNumber, QString());
    QCOMPARE(b.publisher, QString());
    QCOMPARE(b.year, QString());
    QCOMPARE(b.summary, QString());
}

// A page cut off anywhere (a connection that broke) reads without fault; whatever it gives
// is a piece of the whole page's values.
void LookupScraperTest::everyCutOfAPageReadsSafely()
{
    const QByteArray page = fixture(QStringLiteral("hit.html"));
    const CatalogueBook whole = CatalogueScraper::read(page);
    for (int n = 0; n <= page.size(); ++n) {
        const CatalogueBook b = CatalogueScraper::read(page.left(n));
        if (b.found())
            QVERIFY2(whole.title.startsWith(b.title.left(1)), qPrintable(QString::number(n)));
        QVERIFY(whole.summary.startsWith(b.summary) || b.summary.isEmpty());
    }
}

void LookupScraperTest::formAddress_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("address");
    QTest::newRow("action") << QStringLiteral("<form name=\"form2\" action=\"http://h/F/ABC\">")
                            << QStringLiteral("http://h/F/ABC");
    QTest::newRow("first quoted value")
        << QStringLiteral("<form name=\"form2\" method=\"get\" action=\"http://h/F\">")
        << QStringLiteral("get");
    QTest::newRow("no form") << QStringLiteral("<form name=\"form1\" action=\"x\">") << QString();
    QTest::newRow("no closing quote")
        << QStringLiteral("<form name=\"form2\" action=\"http://h") << QString();
    QTest::newRow("no quote") << QStringLiteral("<form name=\"form2\">") << QString();
}

void LookupScraperTest::formAddress()
{
    QFETCH(QString, page);
    QFETCH(QString, address);
    QCOMPARE(CatalogueScraper::formAddress(gbk(page)), address);
}

void LookupScraperTest::queryAddressTrimsAndEncodes()
{
    QCOMPARE(CatalogueScraper::queryAddress(QStringLiteral("http://h/F/ABC"),
                                            QStringLiteral("  9787115113115 ")),
             QStringLiteral("http://h/F/ABC?func=find-m&request=9787115113115&find_code=ISB&"
                            "FIND_BASE=NLC01"));
    // A barcode cannot add parameters to the query.
    QCOMPARE(
        CatalogueScraper::queryAddress(QStringLiteral("http://h/F"), QStringLiteral("1&func=x y")),
        QStringLiteral("http://h/F?func=find-m&request=1%26func%3Dx%20y&find_code=ISB&"
                       "FIND_BASE=NLC01"));
}

void LookupScraperTest::pageBytesConvertsUtf8ToGbk()
{
    QCOMPARE(CatalogueScraper::pageBytes(QStringLiteral("题名").toUtf8()),
             gbk(QStringLiteral("题名")));
    QCOMPARE(CatalogueScraper::pageBytes(gbk(QStringLiteral("题名")),
                                         QStringLiteral("text/html; charset=GB2312")),
             gbk(QStringLiteral("题名")));
}

void LookupScraperTest::settingsFromIni()
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("de.ini")));
    QCOMPARE(LookupSettings::catalogueBase(ini), QStringLiteral("http://opac.nlc.cn"));
    QCOMPARE(LookupSettings::timeoutSeconds(ini), 10);
    QVERIFY(LookupSettings::servers(ini).isEmpty());

    QVERIFY(
        ini.write(QStringLiteral("lookup"),
                  {{QStringLiteral("CatalogueBase"), QStringLiteral(" http://127.0.0.1:8080/ ")},
                   {QStringLiteral("Timeout"), QStringLiteral("0")},
                   {QStringLiteral("Server1"), QStringLiteral("本馆,127.0.0.1:210/Default")},
                   {QStringLiteral("Server3"),
                    QStringLiteral("国图SRU,http://127.0.0.1:210/Default,marcxml,utf-8")},
                   {QStringLiteral("Server4"), QStringLiteral("坏的,h:1/d,MARC")}}));
    QCOMPARE(LookupSettings::catalogueBase(ini), QStringLiteral("http://127.0.0.1:8080"));
    QString problem;
    QCOMPARE(LookupSettings::timeoutSeconds(ini, &problem), 10);
    QVERIFY(problem.contains(QStringLiteral("Timeout")));
    QStringList problems;
    const QVector<CatalogueServer> servers = LookupSettings::servers(ini, &problems);
    QCOMPARE(servers.size(), 2);
    QCOMPARE(servers[0].name, QStringLiteral("本馆"));
    QCOMPARE(servers[0].syntax, QStringLiteral("USMARC"));
    QVERIFY(!servers[0].sru());
    QCOMPARE(servers[1].syntax, QStringLiteral("MARCXML"));
    QCOMPARE(servers[1].encoding, QStringLiteral("utf-8"));
    QVERIFY(servers[1].sru());
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems[0].contains(QStringLiteral("Server4")));
}

void LookupScraperTest::serverLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::newRow("name and address") << QStringLiteral("a,h:210/db") << true;
    QTest::newRow("all four") << QStringLiteral("a,h:210/db,unimarc,gbk") << true;
    QTest::newRow("no address") << QStringLiteral("a") << false;
    QTest::newRow("no name") << QStringLiteral(",h:210/db") << false;
    QTest::newRow("unknown syntax") << QStringLiteral("a,h:210/db,sutrs") << false;
    QTest::newRow("too many") << QStringLiteral("a,h:210/db,usmarc,gbk,x") << false;
}

void LookupScraperTest::serverLines()
{
    QFETCH(QString, line);
    QFETCH(bool, ok);
    CatalogueServer server;
    QString error;
    QCOMPARE(LookupSettings::parseServer(line, &server, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
}

QTEST_GUILESS_MAIN(LookupScraperTest)
#include "lookup_scraper_test.moc"
