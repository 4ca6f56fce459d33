// The library settings row with the barcode warning of de.ini, and the receipt printer's
// settings.
#include "TestDb.h"

#include "admin/LoginService.h"
#include "admin/SystemSettings.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "print/ReceiptSettings.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QVariant settingsValue(const QString &column)
{
    return scalar(QStringLiteral("select %1 from 系统设置").arg(column));
}

} // namespace

class AdminSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheRow();
    void saveWritesRowAndIni();
    void wrongValuesWriteNothing_data();
    void wrongValuesWriteNothing();
    void secondRowStaysUnchanged();
    void focusChoiceWithNoColumnSet();
    void numbersKeepTheirDigits();
    void saveOvertakenElsewhereIsRefused();
    void emptyListLabelsKeepTheirNames();
    void receiptSettingsApply();
};

void AdminSettingsTest::loadShowsTheRow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("update 系统设置 set 归还焦点条形码=1, 归还焦点读者编号=1, "
                                     "借阅焦点编号=0, 借阅焦点条形码=1, 押金倍数=1.5"))
                .run());
    loginContext().barcodeDuplicateWarning = true;
    SystemSettings s;
    QVERIFY(s.load());
    const SystemSettingsForm &f = s.form();
    QCOMPARE(f.texts.value(QStringLiteral("图书馆名")), QStringLiteral("图书馆"));
    QCOMPARE(f.texts.value(QStringLiteral("超期每日罚金")), QStringLiteral("0.1"));
    QCOMPARE(f.texts.value(QStringLiteral("押金倍数")), QStringLiteral("1.5"));
    QCOMPARE(f.texts.value(QStringLiteral("开户费")), QStringLiteral("0"));
    // When two choices are set, the last one wins.
    QCOMPARE(f.returnFocus, int(SystemSettingsForm::ReturnReaderNumber));
    QCOMPARE(f.borrowFocus, int(SystemSettingsForm::BorrowBarcode));
    QVERIFY(f.flags.value(QStringLiteral("启用超期罚金")));
    QVERIFY(!f.flags.value(QStringLiteral("启用租金功能")));
    QVERIFY(f.barcodeDuplicateWarning);
}

void AdminSettingsTest::saveWritesRowAndIni()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    IniFile ini(t.dir() + QStringLiteral("/de.ini"));
    QVERIFY(ini.write(QStringLiteral("part1"), QStringLiteral("abc"), QStringLiteral("a")));
    SystemSettings s;
    QVERIFY(s.load());
    SystemSettingsForm f = s.form();
    f.texts[QStringLiteral("图书馆名")] = QStringLiteral("县图书馆'");
    f.texts[QStringLiteral("超期每日罚金")] = QStringLiteral("0.25");
    f.texts[QStringLiteral("开户费")] = QStringLiteral("0");
    f.texts[QStringLiteral("押金倍数")] = QString();
    f.texts[QStringLiteral("a1")] = QStringLiteral("   ");
    f.texts[QStringLiteral("a2")] = QStringLiteral(" 语种 ");
    f.flags[QStringLiteral("启用租金功能")] = true;
    f.returnFocus = SystemSettingsForm::ReturnItemNumber;
    f.borrowFocus = SystemSettingsForm::BorrowBarcode;
    f.barcodeDuplicateWarning = true;
    const SystemSettings::Result r = s.save(f, ini);
    QVERIFY2(r.ok, qPrintable(r.message));

    QCOMPARE(settingsValue(QStringLiteral("图书馆名")).toString(), QStringLiteral("县图书馆'"));
    QCOMPARE(Money::fromVariant(settingsValue(QStringLiteral("超期每日罚金"))),
             Money::fromRaw(2500));
    QCOMPARE(Money::fromVariant(settingsValue(QStringLiteral("开户费"))), Money());
    QVERIFY(settingsValue(QStringLiteral("押金倍数")).isNull());
    QCOMPARE(settingsValue(QStringLiteral("a1")).toString(), QStringLiteral("密级"));
    QCOMPARE(settingsValue(QStringLiteral("a2")).toString(), QStringLiteral(" 语种 "));
    QCOMPARE(settingsValue(QStringLiteral("启用租金功能")).toInt(), 1);
    QCOMPARE(settingsValue(QStringLiteral("归还焦点条形码")).toInt(), 0);
    QCOMPARE(settingsValue(QStringLiteral("归还焦点图书编号")).toInt(), 1);
    QCOMPARE(settingsValue(QStringLiteral("归还焦点读者编号")).toInt(), 0);
    QCOMPARE(settingsValue(QStringLiteral("借阅焦点编号")).toInt(), 0);
    QCOMPARE(settingsValue(QStringLiteral("借阅焦点条形码")).toInt(), 1);
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("BcCc"), QString()),
             QStringLiteral("1"));
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("abc"), QString()),
             QStringLiteral("a"));
    // The running program keeps its snapshot.
    QCOMPARE(loginContext().customListLabel1, QStringLiteral("密级"));
    QVERIFY(!loginContext().barcodeDuplicateWarning);
}

void AdminSettingsTest::wrongValuesWriteNothing_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("opening fee empty") << "开户费"
                                       << ""
                                       << "开户费必须填写, \" 0 \" 代表不收取.";
    QTest::newRow("opening fee blanks") << "开户费"
                                        << "   "
                                        << "开户费必须填写, \" 0 \" 代表不收取.";
    QTest::newRow("opening fee text") << "开户费"
                                      << "十元"
                                      << "开户费必须是不小于0的金额!";
    QTest::newRow("opening fee negative") << "开户费"
                                          << "-5"
                                          << "开户费必须是不小于0的金额!";
    QTest::newRow("fine text") << "超期每日罚金"
                               << "0.1元"
                               << "超期日罚金必须是不小于0的金额!";
    QTest::newRow("fine negative") << "超期每日罚金"
                                   << "-0.1"
                                   << "超期日罚金必须是不小于0的金额!";
    QTest::newRow("deposit factor") << "押金倍数"
                                    << "两倍"
                                    << "押金倍数必须是不小于0的数字!";
    QTest::newRow("deposit negative") << "押金倍数"
                                      << "-1"
                                      << "押金倍数必须是不小于0的数字!";
    QTest::newRow("deposit infinite") << "押金倍数"
                                      << "inf"
                                      << "押金倍数必须是不小于0的数字!";
    QTest::newRow("deposit not a number") << "押金倍数"
                                          << "nan"
                                          << "押金倍数必须是不小于0的数字!";
}

void AdminSettingsTest::wrongValuesWriteNothing()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    IniFile ini(t.dir() + QStringLiteral("/de.ini"));
    SystemSettings s;
    QVERIFY(s.load());
    SystemSettingsForm f = s.form();
    f.texts[QStringLiteral("图书馆名")] = QStringLiteral("改了");
    f.texts[column] = text;
    f.barcodeDuplicateWarning = true;
    const SystemSettings::Result r = s.save(f, ini);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message);
    QCOMPARE(r.column, column);
    QCOMPARE(settingsValue(QStringLiteral("图书馆名")).toString(), QStringLiteral("图书馆"));
    QVERIFY(!QFile::exists(ini.path()));
}

void AdminSettingsTest::secondRowStaysUnchanged()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(
        Statement(QStringLiteral("insert into 系统设置 (图书馆名, 开户费) values ('第二行', 3)"))
            .run());
    IniFile ini(t.dir() + QStringLiteral("/de.ini"));
    SystemSettings s;
    QVERIFY(s.load());
    QCOMPARE(s.form().texts.value(QStringLiteral("图书馆名")), QStringLiteral("图书馆"));
    SystemSettingsForm f = s.form();
    f.texts[QStringLiteral("图书馆名")] = QStringLiteral("新名");
    QVERIFY(s.save(f, ini).ok);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 系统设置 where 图书馆名='新名'")).toInt(),
             1);
    QCOMPARE(
        scalar(QStringLiteral("select count(*) from 系统设置 where 图书馆名='第二行'")).toInt(), 1);
    // The saved row stays the first one: the next window and the login read it again.
    SystemSettings again;
    QVERIFY(again.load());
    QCOMPARE(again.form().texts.value(QStringLiteral("图书馆名")), QStringLiteral("新名"));
    QVERIFY(again.save(again.form(), ini).ok);
    QVERIFY(LoginService(loginContext()).readSettings());
    QCOMPARE(loginContext().libraryName, QStringLiteral("新名"));
}

// A row whose focus columns are all off shows no choice, and saving keeps them off.
void AdminSettingsTest::focusChoiceWithNoColumnSet()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("update 系统设置 set 归还焦点条形码=0, 归还焦点图书编号=0, "
                                     "归还焦点读者编号=0, 借阅焦点编号=0, 借阅焦点条形码=0"))
                .run());
    IniFile ini(t.dir() + QStringLiteral("/de.ini"));
    SystemSettings s;
    QVERIFY(s.load());
    QCOMPARE(s.form().returnFocus, int(SystemSettingsForm::NoChoice));
    QCOMPARE(s.form().borrowFocus, int(SystemSettingsForm::NoChoice));
    const SystemSettings::Result r = s.save(s.form(), ini);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 系统设置 where 归还焦点条形码=0 and "
                                   "归还焦点图书编号=0 and 归还焦点读者编号=0 and 借阅焦点编号=0 "
                                   "and 借阅焦点条形码=0"))
                 .toInt(),
             1);
}

// A value is shown with the digits it has, and one left untouched is saved as it was.
void AdminSettingsTest::numbersKeepTheirDigits()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("update 系统设置 set 押金倍数=1.23456789")).run());
    IniFile ini(t.dir() + QStringLiteral("/de.ini"));
    SystemSettings s;
    QVERIFY(s.load());
    QCOMPARE(s.form().texts.value(QStringLiteral("押金倍数")), QStringLiteral("1.23456789"));
    QVERIFY(s.save(s.form(), ini).ok);
    QCOMPARE(settingsValue(QStringLiteral("押金倍数")).toDouble(), 1.23456789);

    // Full-width digits, as the Chinese input method types them.
    QVERIFY(s.load());
    SystemSettingsForm f = s.form();
    f.texts[QStringLiteral("押金倍数")] = QStringLiteral("１．５");
    f.texts[QStringLiteral("开户费")] = QStringLiteral("１０");
    const SystemSettings::Result r = s.save(f, ini);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(settingsValue(QStringLiteral("押金倍数")).toDouble(), 1.5);
    QCOMPARE(Money::fromVariant(settingsValue(QStringLiteral("开户费"))), Money::fromRaw(100000));
}

// Two workstations with the window open: the second save would undo the first one's
// change, so it is refused and nothing of it is written.
void AdminSettingsTest::saveOvertakenElsewhereIsRefused()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    IniFile ini(t.dir() + QStringLiteral("/de.ini"));
    SystemSettings first;
    SystemSettings second;
    QVERIFY(first.load());
    QVERIFY(second.load());
    SystemSettingsForm f = first.form();
    f.texts[QStringLiteral("图书馆名")] = QStringLiteral("甲馆");
    QVERIFY(first.save(f, ini).ok);
    SystemSettingsForm g = second.form();
    g.texts[QStringLiteral("电话")] = QStringLiteral("12345");
    const SystemSettings::Result r = second.save(g, ini);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("设置已被别处修改, 请关闭窗口后重新打开再改!"));
    QCOMPARE(settingsValue(QStringLiteral("图书馆名")).toString(), QStringLiteral("甲馆"));
    QCOMPARE(settingsValue(QStringLiteral("电话")).toString(), QString());
    // Read again, the window saves.
    QVERIFY(second.load());
    QVERIFY(second.save(second.form(), ini).ok);
}

// An empty label of a custom list means the list's own name: stored as NULL, and the
// window shows the name in force.
void AdminSettingsTest::emptyListLabelsKeepTheirNames()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("update 系统设置 set a2='', a3=NULL")).run());
    IniFile ini(t.dir() + QStringLiteral("/de.ini"));
    SystemSettings s;
    QVERIFY(s.load());
    QCOMPARE(s.form().texts.value(QStringLiteral("a1")), QStringLiteral("密级"));
    QCOMPARE(s.form().texts.value(QStringLiteral("a2")), QStringLiteral("a2"));
    QCOMPARE(s.form().texts.value(QStringLiteral("a3")), QStringLiteral("a3"));
    SystemSettingsForm f = s.form();
    f.texts[QStringLiteral("a3")] = QStringLiteral("  ");
    QVERIFY(s.save(f, ini).ok);
    QVERIFY(settingsValue(QStringLiteral("a2")).isNull());
    QVERIFY(settingsValue(QStringLiteral("a3")).isNull());
    QVERIFY(LoginService(loginContext()).readSettings());
    QCOMPARE(loginContext().customListLabel2, QStringLiteral("a2"));
    QCOMPARE(loginContext().customListLabel3, QStringLiteral("a3"));
}

void AdminSettingsTest::receiptSettingsApply()
{
    QTemporaryDir dir;
    loginContext() = LoginContext();
    IniFile ini(dir.filePath(QStringLiteral("de.ini")));
    QVERIFY(ini.write(QStringLiteral("part1"), QStringLiteral("softname"), QStringLiteral("图书")));
    QVERIFY(ReceiptSettings::apply(ini, QStringLiteral(" COM3 "), true));
    // Stored as typed; reading a private profile trims the value.
    QVERIFY(fileBytes(ini.path()).contains("PosPort= COM3 \r\n"));
    QCOMPARE(ini.read(QStringLiteral("PosPrt"), QStringLiteral("JieChuHouDaYin"), QString()),
             QStringLiteral("1"));
    QCOMPARE(loginContext().posPort, QStringLiteral(" COM3 "));
    QVERIFY(loginContext().printReceiptAfterLending);
    QVERIFY(ReceiptSettings::apply(ini, QString(), false));
    QCOMPARE(ini.read(QStringLiteral("PosPrt"), QStringLiteral("PosPort"), QStringLiteral("x")),
             QString());
    QCOMPARE(ini.read(QStringLiteral("PosPrt"), QStringLiteral("JieChuHouDaYin"), QString()),
             QStringLiteral("0"));
    QVERIFY(!loginContext().printReceiptAfterLending);
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("softname"), QString()),
             QStringLiteral("图书"));
}

QTEST_GUILESS_MAIN(AdminSettingsTest)
#include "admin_settings_dbtest.moc"
