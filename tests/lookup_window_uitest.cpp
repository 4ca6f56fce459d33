// The online lookup window, offscreen, against fixture pages on a local HTTP server and
// yaz-ztest: opened from the book intake window's "ok", filling its fields.
#include "FixtureHttpServer.h"
#include "PromptRecorder.h"
#include "TestDb.h"

#include "catalogue/BkAddUt.h"
#include "catalogue/MyNetTmUt.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QString kHitBarcode = QStringLiteral("9787302023685");

QPushButton *button(QWidget *w, const QString &text)
{
    for (QPushButton *b : w->findChildren<QPushButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

FixtureHttpServer::Handler catalogue(FixtureHttpServer *&self)
{
    return [&self](const QString &path) {
        if (path == QLatin1String("/F"))
            return self->page(QStringLiteral("entry.html"));
        if (path.contains(QLatin1String("request=") + kHitBarcode))
            return self->page(QStringLiteral("hit.html"));
        return self->page(QStringLiteral("miss.html"));
    };
}

void writeIni(const TestDb &t, const QList<std::pair<QString, QString>> &entries)
{
    loginContext().iniPath = t.dir() + QStringLiteral("/de.ini");
    QVERIFY(IniFile(loginContext().iniPath).write(QStringLiteral("lookup"), entries));
}

TMyNetTmFm *openLookup(TBkAddFm &intake)
{
    QTest::mouseClick(intake.findChild<QPushButton *>(QStringLiteral("ok")), Qt::LeftButton);
    return intake.findChild<TMyNetTmFm *>();
}

QString field(TBkAddFm &w, const QString &name)
{
    if (auto *p = w.findChild<QPlainTextEdit *>(name))
        return p->toPlainText();
    if (auto *l = w.findChild<QLineEdit *>(name))
        return l->text();
    return w.findChild<QComboBox *>(name)->currentText();
}

} // namespace

class LookupWindowUiTest : public QObject {
    Q_OBJECT
private slots:
    void okOpensOneWindowBesideTheIntake();
    void hitFillsTheIntakeFields();
    void missLeavesTheIntakeAlone();
    void timeoutKeepsTheWindowResponsive();
    void closingDuringARequestIsSafe();
    void copyCataloguingFromZ3950();
};

void LookupWindowUiTest::okOpensOneWindowBesideTheIntake()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    writeIni(t, {{QStringLiteral("CatalogueBase"), QStringLiteral("http://127.0.0.1:1")}});
    TBkAddFm intake;
    intake.show();
    QVERIFY(intake.findChild<QPushButton *>(QStringLiteral("ok"))->isVisible());
    QPointer<TMyNetTmFm> w = openLookup(intake);
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("联网录入 2010"));
    QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("条形码"))->text(),
             QStringLiteral("9787115113115"));
    QCOMPARE(w->catalogue()->catalogueBase(), QStringLiteral("http://127.0.0.1:1"));
    QCOMPARE(w->catalogue()->timeoutMs(), 10000);
    QVERIFY(w->x() >= intake.frameGeometry().right());
    // "ok" again brings the same window forward.
    QCOMPARE(openLookup(intake), w.data());
    QCOMPARE(intake.findChildren<TMyNetTmFm *>().size(), 1);
    // Closing the intake window closes the lookup too.
    intake.reject();
    QTRY_VERIFY(!w || !w->isVisible());
}

void LookupWindowUiTest::hitFillsTheIntakeFields()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    FixtureHttpServer *server = nullptr;
    FixtureHttpServer s(catalogue(server));
    server = &s;
    writeIni(t, {{QStringLiteral("CatalogueBase"), s.base()}});
    PromptRecorder prompts;
    TBkAddFm intake;
    intake.show();
    TMyNetTmFm *w = openLookup(intake);
    auto *barcode = w->findChild<QLineEdit *>(QStringLiteral("条形码"));
    barcode->setText(QStringLiteral(" ") + kHitBarcode);
    QTest::keyClick(barcode, Qt::Key_Return);
    QVERIFY(!button(w, QStringLiteral("获取数据"))->isEnabled());
    auto *results = w->findChild<QTableWidget *>();
    QTRY_COMPARE(results->rowCount(), 1);
    QVERIFY(button(w, QStringLiteral("获取数据"))->isEnabled());
    QCOMPARE(results->item(0, 0)->text(), QStringLiteral("数据结构"));
    QCOMPARE(results->item(0, 4)->text(), QStringLiteral("1997"));
    QCOMPARE(field(intake, QStringLiteral("名称")), QStringLiteral("数据结构"));
    QCOMPARE(field(intake, QStringLiteral("py")), QStringLiteral("SJJG"));
    QCOMPARE(field(intake, QStringLiteral("作者")), QStringLiteral("严蔚敏,吴伟民编著"));
    QCOMPARE(field(intake, QStringLiteral("分类号")), QStringLiteral("TP311.12"));
    QCOMPARE(field(intake, QStringLiteral("出版社")), QStringLiteral("清华大学出版社"));
    // The barcode as typed, blank and all; the query had it trimmed.
    QCOMPARE(field(intake, QStringLiteral("条形码")), QStringLiteral(" ") + kHitBarcode);
    QVERIFY(field(intake, QStringLiteral("简介")).startsWith(QStringLiteral("本书系统地")));
    QVERIFY(prompts.texts().isEmpty());
}

void LookupWindowUiTest::missLeavesTheIntakeAlone()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    FixtureHttpServer *server = nullptr;
    FixtureHttpServer s(catalogue(server));
    server = &s;
    writeIni(t, {{QStringLiteral("CatalogueBase"), s.base()}});
    PromptRecorder prompts;
    TBkAddFm intake;
    TMyNetTmFm *w = openLookup(intake);
    QTest::mouseClick(button(w, QStringLiteral("连接服务器")), Qt::LeftButton);
    QTRY_COMPARE(prompts.texts(), QStringList{QStringLiteral("连接成功,可以联网获取资料!")});
    QTest::mouseClick(button(w, QStringLiteral("获取数据")), Qt::LeftButton);
    QTRY_COMPARE(prompts.texts().size(), 2);
    QCOMPARE(prompts.last(), QStringLiteral("9787115113115 服务器中无改条码的图书资料!"));
    QCOMPARE(w->findChild<QTableWidget *>()->rowCount(), 0);
    QCOMPARE(field(intake, QStringLiteral("名称")), QString());
    QCOMPARE(field(intake, QStringLiteral("条形码")), QStringLiteral("n"));
    // Enter after a failed lookup runs a new one.
    QTest::keyClick(w->findChild<QLineEdit *>(QStringLiteral("条形码")), Qt::Key_Return);
    QTRY_COMPARE(prompts.texts().size(), 3);
    QCOMPARE(s.paths().size(), 3);
}

void LookupWindowUiTest::timeoutKeepsTheWindowResponsive()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    FixtureHttpServer s({}, true);
    writeIni(t, {{QStringLiteral("CatalogueBase"), s.base()},
                 {QStringLiteral("Timeout"), QStringLiteral("1")}});
    PromptRecorder prompts;
    TBkAddFm intake;
    TMyNetTmFm *w = openLookup(intake);
    QCOMPARE(w->catalogue()->timeoutMs(), 1000);
    QTest::mouseClick(button(w, QStringLiteral("获取数据")), Qt::LeftButton);
    // While the server keeps silent the window goes on taking input.
    QTest::qWait(200);
    auto *barcode = w->findChild<QLineEdit *>(QStringLiteral("条形码"));
    QTest::keyClicks(barcode, QStringLiteral("1"));
    QCOMPARE(barcode->text(), QStringLiteral("97871151131151"));
    QTRY_COMPARE_WITH_TIMEOUT(prompts.texts().size(), 1, 5000);
    QCOMPARE(prompts.last(), QStringLiteral("连接服务器超时: 1 秒内没有应答."));
    QVERIFY(button(w, QStringLiteral("获取数据"))->isEnabled());
}

void LookupWindowUiTest::closingDuringARequestIsSafe()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    FixtureHttpServer s({}, true);
    writeIni(t, {{QStringLiteral("CatalogueBase"), s.base()}});
    PromptRecorder prompts;
    auto *intake = new TBkAddFm;
    intake->show();
    TMyNetTmFm *w = openLookup(*intake);
    QTest::mouseClick(button(w, QStringLiteral("获取数据")), Qt::LeftButton);
    QTRY_COMPARE(s.paths().size(), 1);
    QPointer<TBkAddFm> gone = intake;
    intake->close();
    QTRY_VERIFY(!gone);
    QTRY_COMPARE(s.disconnects(), 1);
    QTest::qWait(50);
    QVERIFY(prompts.texts().isEmpty());
}

void LookupWindowUiTest::copyCataloguingFromZ3950()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("yaz-ztest"));
    QVERIFY2(!program.isEmpty(), "yaz-ztest is not installed (package yaz)");
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess ztest;
    ztest.start(program, {QStringLiteral("-l"), QStringLiteral("/dev/null"),
                          QStringLiteral("tcp:127.0.0.1:%1").arg(port)});
    QVERIFY(ztest.waitForStarted());
    bool ready = false;
    for (int i = 0; i < 100 && !ready; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        ready = socket.waitForConnected(100);
        if (!ready)
            QTest::qWait(50);
    }
    QVERIFY(ready);

    TestDb t;
    TSGL_FRESH_DB(t);
    writeIni(t, {{QStringLiteral("Server1"),
                  QStringLiteral("测试Z39.50,127.0.0.1:%1/Default,USMARC").arg(port)},
                 {QStringLiteral("Server2"),
                  QStringLiteral("测试SRU,http://127.0.0.1:%1/Default,MARCXML").arg(port)}});
    PromptRecorder prompts;
    TBkAddFm intake;
    intake.show();
    TMyNetTmFm *w = openLookup(intake);
    QTest::mouseClick(button(w, QStringLiteral("Z39.50/SRU检索")), Qt::LeftButton);
    auto *results = w->findChild<QTableWidget *>();
    QTRY_VERIFY_WITH_TIMEOUT(button(w, QStringLiteral("Z39.50/SRU检索"))->isEnabled(), 10000);
    QVERIFY(results->rowCount() >= 2);
    QCOMPARE(field(intake, QStringLiteral("名称")), QStringLiteral("How to program a computer"));
    QCOMPARE(field(intake, QStringLiteral("作者")), QStringLiteral("Jack Collins"));
    QCOMPARE(field(intake, QStringLiteral("条形码")), QStringLiteral("9787115113115"));
    QStringList sources;
    for (int r = 0; r < results->rowCount(); ++r)
        sources << results->item(r, 6)->text();
    QVERIFY(sources.contains(QStringLiteral("测试Z39.50")));
    QVERIFY(sources.contains(QStringLiteral("测试SRU")));
    QVERIFY(prompts.texts().isEmpty());
    ztest.terminate();
    ztest.waitForFinished(3000);
}

QTEST_MAIN(LookupWindowUiTest)
#include "lookup_window_uitest.moc"
