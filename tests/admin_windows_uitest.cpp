// The administrators, password, log, settings and receipt printer windows, driven offscreen.
#include "PromptRecorder.h"
#include "PseudoTerminal.h"
#include "TestDb.h"

#include "ExcelExport.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "admin/AdminLog.h"
#include "admin/AdminLogUt.h"
#include "admin/AdminUt.h"
#include "admin/ChangePwdUt.h"
#include "admin/PasswordHash.h"
#include "admin/PosPrtSetUt.h"
#include "admin/SysInfoSetUt.h"
#include "app/WindowRegistry.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "text/Gbk.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QToolButton>
#include <QtTest>

namespace {

void click(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        if (b->text() == text && !qobject_cast<QCheckBox *>(b)) {
            QVERIFY2(b->isEnabled(), qPrintable(text + QStringLiteral(" is disabled")));
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button ") + text));
}

void type(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Clicks a check box on its indicator, wherever the layout stretched the box to.
void tick(QAbstractButton *box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
}

QString storedPassword(const QString &name)
{
    Statement st(QStringLiteral("select pwd from 管理员 where adminname="));
    st.value(name);
    return st.scalar().toString();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Takes the reports that would be previewed.
class ReportCatcher : public ReportPreview::Sink {
public:
    ReportCatcher()
        : m_previous(ReportPreview::setSink(this))
    {}
    ~ReportCatcher() override { ReportPreview::setSink(m_previous); }
    void preview(QWidget *, const ReportModel &model) override { reports << model; }
    QVector<ReportModel> reports;

private:
    ReportPreview::Sink *m_previous;
};

} // namespace

class AdminWindowsUiTest : public QObject {
    Q_OBJECT
private slots:
    void registeredCommands();
    void permissionBoxes_data();
    void permissionBoxes();
    void administratorsAddEditDelete();
    void superAdministratorInWindow();
    void passwordWindow();
    void logWindow();
    void settingsSaveAndCancel();
    void settingsRefuseWrongFee();
    void settingsWithoutFocusChoice();
    void receiptPrinterWindow();
    void receiptPrinterNotAnswering();
};

void AdminWindowsUiTest::registeredCommands()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    WindowRegistry::registerAll();
    const QList<QPair<QString, QString>> commands = {{"图书分类设置", "分类设置"},
                                                     {"二级分类设置", "二级分类设置"},
                                                     {"出版社名设置", "出版社名设置"},
                                                     {"单位/部门名", "单位/部门名称设置"},
                                                     {"存放位置", "存放位置名设置"},
                                                     {"证件名设置", "证件名设置"},
                                                     {"币种名设置", "币种设置"},
                                                     {"a1设置", "密级"},
                                                     {"a2设置", "a2"},
                                                     {"a3设置", "a3"},
                                                     {"读者类别设置", "读者分类设置"},
                                                     {"物品级别设置", "物品级别"},
                                                     {"系统管理员权限设置", "系统管理员权限设置"},
                                                     {"修改密码", "修改密码"},
                                                     {"管理员日志", "管理员日志"},
                                                     {"图书馆信息设置", "系统设置"},
                                                     {"Pos小票打印机", "Pos打印机设置"}};
    QWidget parent;
    for (const auto &[command, caption] : commands) {
        const WindowRegistry::Factory factory = WindowRegistry::find(command);
        QVERIFY2(factory, qPrintable(command));
        QPointer<QWidget> w = factory(&parent);
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), &parent);
        QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
        w->show();
        QCOMPARE(w->windowTitle(), caption);
        w->close();
        QTRY_VERIFY(w.isNull());
    }
}

void AdminWindowsUiTest::permissionBoxes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("column");
    const QList<QPair<QString, QString>> boxes = {
        {"借阅", "qxborrow"},          {"归还", "qxreturn"},       {"读者资料管理", "qxrd"},
        {"期刊资料管理", "qxqk"},      {"删除数据功能", "qxdel"},  {"图书资料管理", "qxbk"},
        {"修改读者资料", "qxrdxg"},    {"修改期刊资料", "qxqkxg"}, {"修改图书资料", "qxbkxg"},
        {"管理员设置管理", "qxadmin"}, {"系统设置", "qxsysset"},   {"添加数据", "qxadddata"},
        {"修改库存", "qxModifyStock"}};
    for (int i = 0; i < boxes.size(); ++i)
        QTest::newRow(qPrintable(boxes[i].second)) << i << boxes[i].first << boxes[i].second;
}

// Each box in its place writes its own column, and only that one: a new administrator with
// one box ticked has that column set and the other fifteen permission columns off.
void AdminWindowsUiTest::permissionBoxes()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, column);
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TAdminFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QCOMPARE(w.permissionBox(index)->text(), caption);
    QVERIFY(!w.permissionBox(13));
    click(&w, QStringLiteral("添加"));
    type(w.nameField(), QStringLiteral("张三"));
    tick(w.permissionBox(index));
    click(&w, QStringLiteral("保存"));
    QVERIFY(prompts.entries().isEmpty());
    QSqlQuery q = Statement(QStringLiteral("select * from 管理员 where adminname='张三'")).exec();
    QVERIFY(q.next());
    const QSqlRecord row = q.record();
    int on = 0;
    for (int c = 0; c < row.count(); ++c) {
        if (row.fieldName(c).startsWith(QStringLiteral("qx"), Qt::CaseInsensitive) &&
            flagFromSql(row.value(c))) {
            ++on;
            QCOMPARE(row.fieldName(c).toLower(), column.toLower());
        }
    }
    QCOMPARE(on, 1);
    // The box shows the stored column when the administrator is selected again.
    w.names()->setCurrentRow(0);
    w.names()->setCurrentRow(1);
    for (int i = 0; i < 13; ++i)
        QCOMPARE(w.permissionBox(i)->isChecked(), i == index);
}

void AdminWindowsUiTest::administratorsAddEditDelete()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TAdminFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QCOMPARE(w.names()->count(), 1);
    QVERIFY(!w.nameField()->isEnabled());
    QCOMPARE(w.permissionBox(0)->text(), QStringLiteral("借阅"));
    QCOMPARE(w.permissionBox(12)->text(), QStringLiteral("修改库存"));
    QVERIFY(!w.findChildren<QLabel *>().isEmpty());

    click(&w, QStringLiteral("添加"));
    QVERIFY(w.nameField()->isEnabled());
    QVERIFY(!w.permissionBox(0)->isChecked());
    // The new administrator is an empty line at the end of the list until he is saved.
    QCOMPARE(w.names()->count(), 2);
    QCOMPARE(w.names()->currentRow(), 1);
    QVERIFY(w.names()->currentItem()->text().isEmpty());
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("用户名必须填写！"));
    QCOMPARE(w.mode(), TAdminFm::Mode::Adding);
    type(w.nameField(), QStringLiteral("张三"));
    tick(w.permissionBox(0));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(w.mode(), TAdminFm::Mode::Browsing);
    QCOMPARE(w.names()->count(), 2);
    QCOMPARE(w.names()->currentItem()->text(), QStringLiteral("张三"));
    QVERIFY(PasswordHash::matches(QStringLiteral("8888"), storedPassword(QStringLiteral("张三"))));
    QCOMPARE(scalar(QStringLiteral("select qxborrow from 管理员 where adminname='张三'")).toInt(),
             1);

    // A second 张三 is refused and the window stays in editing.
    click(&w, QStringLiteral("添加"));
    type(w.nameField(), QStringLiteral("张三"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("用户名已存在!"));
    QCOMPARE(w.mode(), TAdminFm::Mode::Adding);
    click(&w, QStringLiteral("取消"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员")).toInt(), 2);
    QCOMPARE(w.names()->count(), 2);
    QCOMPARE(w.names()->currentItem()->text(), QStringLiteral("张三"));
    QCOMPARE(w.nameField()->text(), QStringLiteral("张三"));

    w.names()->setCurrentRow(1);
    click(&w, QStringLiteral("修改"));
    QVERIFY(w.nameField()->isEnabled());
    type(w.nameField(), QStringLiteral("李四"));
    tick(w.permissionBox(12));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(
        scalar(QStringLiteral("select qxModifyStock from 管理员 where adminname='李四'")).toInt(),
        1);

    w.names()->setCurrentRow(1);
    prompts.answer(false);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.last(), QStringLiteral("您是否要删除\" 李四\""));
    QCOMPARE(prompts.entries().last().defaultAnswer, Prompt::Answer::No);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员")).toInt(), 2);
    prompts.answer(true);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员")).toInt(), 1);
    QCOMPARE(w.names()->count(), 1);
}

void AdminWindowsUiTest::superAdministratorInWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TAdminFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    w.names()->setCurrentRow(0);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.last(), QStringLiteral("超级管理员 不能删除！"));
    click(&w, QStringLiteral("修改"));
    QVERIFY(!w.nameField()->isEnabled());
    QVERIFY(w.permissionBox(3)->isEnabled());
    tick(w.permissionBox(3));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(w.mode(), TAdminFm::Mode::Browsing);
    QCOMPARE(scalar(QStringLiteral("select qxqk from 管理员")).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("select adminname from 管理员")).toString(),
             QStringLiteral("超级管理员"));
}

void AdminWindowsUiTest::passwordWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    loginContext().adminName = QStringLiteral("超级管理员");
    QPointer<TChangePwdFm> w = new TChangePwdFm;
    w->show();
    QCOMPARE(w->oldPassword()->echoMode(), QLineEdit::Password);
    type(w->oldPassword(), QStringLiteral("1234"));
    click(w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("旧密码输入错误！"));
    type(w->oldPassword(), QStringLiteral("8888"));
    type(w->newPassword(), QStringLiteral("abc"));
    type(w->confirmation(), QStringLiteral("abd"));
    click(w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("两次输入的新密码不一致！"));
    QVERIFY(w);
    type(w->confirmation(), QStringLiteral("abc"));
    click(w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("修改成功！"));
    QTRY_VERIFY(w.isNull());
    const QString stored = storedPassword(QStringLiteral("超级管理员"));
    QVERIFY(PasswordHash::isHash(stored));
    QVERIFY(PasswordHash::matches(QStringLiteral("abc"), stored));
    // No message ever shows a password.
    for (const QString &text : prompts.texts())
        QVERIFY(!text.contains(QStringLiteral("abc")) && !text.contains(QStringLiteral("8888")));
}

void AdminWindowsUiTest::logWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    loginContext().adminName = QStringLiteral("张三");
    for (const char *e : {"修改库存", "修改状态", "修改库存"})
        QVERIFY(AdminLog::write(QString::fromUtf8(e), QStringLiteral("条形码:1")));
    TAdminLogFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QCOMPARE(w.grid()->rowCount(), 3);
    QCOMPARE(w.grid()->footerText(QStringLiteral("id")), QStringLiteral("3"));
    QCOMPARE(w.grid()->displayText(0, QStringLiteral("管理员")), QStringLiteral("张三"));

    // Exported rows go to the spreadsheet program.
    QString exported;
    bool existed = false;
    const ExcelExport::Opener previous = ExcelExport::setOpener([&](const QString &path) {
        exported = path;
        existed = QFile::exists(path);
        QFile::remove(path); // no spreadsheet program here: nothing is left behind
        return true;
    });
    click(&w, QStringLiteral("导出Excel"));
    ExcelExport::setOpener(previous);
    QVERIFY(!exported.isEmpty());
    QVERIFY(existed);

    // The printed list holds the rows as the grid shows them.
    {
        ReportCatcher catcher;
        QVERIFY(w.grid()->setColumnFilter(QStringLiteral("事件"), QStringLiteral("修改库存")));
        click(&w, QStringLiteral("打印"));
        QCOMPARE(catcher.reports.size(), 1);
        QSet<int> rows;
        for (const ReportItem &item : catcher.reports[0].pages[0].items) {
            if (item.role == QLatin1String("cell") && item.field == QStringLiteral("事件")) {
                QCOMPARE(item.text, QStringLiteral("修改库存"));
                rows.insert(item.row);
            }
        }
        QCOMPARE(rows.size(), 2);
        w.grid()->clearFilters();
    }

    w.grid()->setCurrentRow(1);
    prompts.answer(false);
    click(&w, QStringLiteral("删除当前"));
    QCOMPARE(prompts.last(), QStringLiteral("您是否要删除"));
    QCOMPARE(prompts.entries().last().defaultAnswer, Prompt::Answer::No);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员日志")).toInt(), 3);
    prompts.answer(true);
    click(&w, QStringLiteral("删除当前"));
    QCOMPARE(
        scalar(QStringLiteral("select count(*) from 管理员日志 where 事件='修改状态'")).toInt(), 0);
    QCOMPARE(w.grid()->rowCount(), 2);

    prompts.answer(true);
    click(&w, QStringLiteral("全部删除"));
    QCOMPARE(prompts.texts().mid(prompts.texts().size() - 2),
             QStringList({QStringLiteral("您是否要全部删除"), QStringLiteral("删除完毕!")}));
    QCOMPARE(prompts.entries()[prompts.entries().size() - 2].defaultAnswer, Prompt::Answer::No);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员日志")).toInt(), 0);
    QCOMPARE(w.grid()->rowCount(), 0);
    prompts.clear();
    click(&w, QStringLiteral("删除当前")); // nothing left: nothing asked
    QVERIFY(prompts.entries().isEmpty());
}

void AdminWindowsUiTest::settingsSaveAndCancel()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    loginContext().iniPath = t.dir() + QStringLiteral("/de.ini");
    {
        QPointer<TSysInfoSetFm> w = new TSysInfoSetFm;
        w->show();
        QVERIFY(!w->flagBox(QStringLiteral("启用押金功能"))->isVisible());
        QVERIFY(w->flagBox(QStringLiteral("启用超期罚金"))->isChecked());
        QCOMPARE(w->returnFocus()->checkedId(), 1);
        type(w->textField(QStringLiteral("图书馆名")), QStringLiteral("不保存"));
        tick(w->barcodeWarningBox());
        click(w, QStringLiteral("取消"));
        QTRY_VERIFY(w.isNull());
    }
    QCOMPARE(scalar(QStringLiteral("select 图书馆名 from 系统设置")).toString(),
             QStringLiteral("图书馆"));
    QVERIFY(!QFile::exists(loginContext().iniPath));

    QPointer<TSysInfoSetFm> w = new TSysInfoSetFm;
    w->show();
    type(w->textField(QStringLiteral("图书馆名")), QStringLiteral("县图书馆"));
    type(w->textField(QStringLiteral("超期每日罚金")), QStringLiteral("0.2"));
    type(w->textField(QStringLiteral("a1")), QStringLiteral("  "));
    w->memoField(QStringLiteral("WebNotice"))->setPlainText(QStringLiteral("周一闭馆"));
    tick(w->flagBox(QStringLiteral("显示班级")));
    tick(w->barcodeWarningBox());
    tick(w->returnFocus()->button(2));
    tick(w->borrowFocus()->button(1));
    click(w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("新的设置重启软件后生效!"));
    QTRY_VERIFY(w.isNull());
    QSqlQuery q =
        Statement(QStringLiteral("select 图书馆名, 超期每日罚金, a1, WebNotice, 显示班级, "
                                 "归还焦点图书编号, 归还焦点读者编号, 借阅焦点编号, "
                                 "借阅焦点条形码 from 系统设置"))
            .exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("县图书馆"));
    QCOMPARE(Money::fromVariant(q.value(1)), Money::fromRaw(2000));
    QCOMPARE(q.value(2).toString(), QStringLiteral("密级"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("周一闭馆"));
    QCOMPARE(q.value(4).toInt(), 1);
    QCOMPARE(q.value(5).toInt(), 0);
    QCOMPARE(q.value(6).toInt(), 1);
    QCOMPARE(q.value(7).toInt(), 0);
    QCOMPARE(q.value(8).toInt(), 1);
    QCOMPARE(IniFile(loginContext().iniPath)
                 .read(QStringLiteral("part1"), QStringLiteral("BcCc"), QString()),
             QStringLiteral("1"));
}

void AdminWindowsUiTest::settingsRefuseWrongFee()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    loginContext().iniPath = t.dir() + QStringLiteral("/de.ini");
    TSysInfoSetFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QApplication::setActiveWindow(&w);
    type(w.textField(QStringLiteral("开户费")), QString());
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("开户费必须填写, \" 0 \" 代表不收取."));
    QVERIFY(w.isVisible());
    QTRY_VERIFY(w.textField(QStringLiteral("开户费"))->hasFocus());
    type(w.textField(QStringLiteral("开户费")), QStringLiteral("0"));
    type(w.textField(QStringLiteral("超期每日罚金")), QStringLiteral("一角"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("超期日罚金必须是不小于0的金额!"));
    QVERIFY(w.isVisible());
    QVERIFY(!QFile::exists(loginContext().iniPath));
}

// A row with none of the focus columns set shows no choice selected and saves them all off.
void AdminWindowsUiTest::settingsWithoutFocusChoice()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    loginContext().iniPath = t.dir() + QStringLiteral("/de.ini");
    QVERIFY(Statement(QStringLiteral("update 系统设置 set 归还焦点条形码=0, 归还焦点图书编号=0, "
                                     "归还焦点读者编号=0, 借阅焦点编号=0, 借阅焦点条形码=0"))
                .run());
    QPointer<TSysInfoSetFm> w = new TSysInfoSetFm;
    w->show();
    QCOMPARE(w->returnFocus()->checkedId(), -1);
    QCOMPARE(w->borrowFocus()->checkedId(), -1);
    click(w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("新的设置重启软件后生效!"));
    QTRY_VERIFY(w.isNull());
    QCOMPARE(scalar(QStringLiteral("select 归还焦点条形码 + 归还焦点图书编号 + 归还焦点读者编号 + "
                                   "借阅焦点编号 + 借阅焦点条形码 from 系统设置"))
                 .toInt(),
             0);
}

void AdminWindowsUiTest::receiptPrinterWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    loginContext().iniPath = t.dir() + QStringLiteral("/de.ini");
    loginContext().posPort = QStringLiteral("COM2");
    loginContext().softName = QStringLiteral("图书管理");
    loginContext().adminName = QStringLiteral("张三");
    QPointer<TPosPrtSetFm> w = new TPosPrtSetFm;
    w->show();
    QCOMPARE(w->port()->currentText(), QStringLiteral("COM2"));
    QCOMPARE(w->port()->count(), 12);
    QVERIFY(w->testText()->text().startsWith(QStringLiteral("打印测试内容")));
    w->setClock([] { return QDateTime(QDate(2025, 6, 7), QTime(8, 9, 10)); });

    // The test print goes to the port as typed, without 应用.
    PseudoTerminal printer;
    QVERIFY(printer.isValid());
    w->port()->setCurrentText(printer.devicePath());
    type(w->testText(), QStringLiteral("测试"));
    click(w, QStringLiteral("打印测试"));
    QTRY_COMPARE(w->status()->text(), QStringLiteral("测试小票已发送到打印机。"));
    QVERIFY(prompts.entries().isEmpty());
    QByteArray expected;
    for (const char *line : {" ", " [打印开始]", "[ 图书管理 ]", "管理员: 张三",
                             "打印时间:25-06-07 08:09:10", "测试", "    打印结束-打印成功 "})
        expected += Gbk::encode(QString::fromUtf8(line)) + "\r\n";
    expected += QByteArray::fromHex("0B1B4A8C");
    QCOMPARE(printer.readAll(), expected);

    // A file named as the port is not a printer: it keeps its bytes and the reason is shown.
    const QString library = t.dir() + QStringLiteral("/book-copy.db");
    {
        QFile f(library);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("SQLite format 3");
    }
    w->port()->setCurrentText(library);
    click(w, QStringLiteral("打印测试"));
    QTRY_COMPARE(prompts.entries().size(), 1);
    QVERIFY2(prompts.last().startsWith(QStringLiteral("失败!\n")), qPrintable(prompts.last()));
    QVERIFY2(prompts.last().contains(library + QStringLiteral(" 不是打印机端口")),
             qPrintable(prompts.last()));
    QCOMPARE(fileBytes(library), QByteArray("SQLite format 3"));

    w->port()->setCurrentText(QString());
    click(w, QStringLiteral("打印测试"));
    QTRY_COMPARE(prompts.entries().size(), 2);
    QCOMPARE(prompts.last(), QStringLiteral("失败!\n没有指定打印机端口"));

    tick(w->printAfterLending());
    click(w, QStringLiteral("应用"));
    QCOMPARE(prompts.last(), QStringLiteral("修改完毕,重启软件后生效!"));
    QTRY_VERIFY(w.isNull());
    QCOMPARE(loginContext().posPort, QString());
    QVERIFY(loginContext().printReceiptAfterLending);
    const IniFile ini(loginContext().iniPath);
    QCOMPARE(ini.read(QStringLiteral("PosPrt"), QStringLiteral("JieChuHouDaYin"), QString()),
             QStringLiteral("1"));
    QCOMPARE(ini.read(QStringLiteral("PosPrt"), QStringLiteral("PosPort"), QStringLiteral("x")),
             QString());

    // The port goes to de.ini and the login context as typed, blanks and all.
    w = new TPosPrtSetFm;
    w->show();
    QCOMPARE(w->port()->currentText(), QString());
    QVERIFY(w->printAfterLending()->isChecked());
    QTest::keyClicks(w->port()->lineEdit(), QStringLiteral(" COM3 "));
    click(w, QStringLiteral("应用"));
    QTRY_VERIFY(w.isNull());
    QCOMPARE(loginContext().posPort, QStringLiteral(" COM3 "));
    QFile written(loginContext().iniPath);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("PosPort= COM3 \r\n"));
}

void AdminWindowsUiTest::receiptPrinterNotAnswering()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    loginContext().iniPath = t.dir() + QStringLiteral("/de.ini");
    PseudoTerminal printer;
    QVERIFY(printer.isValid());
    QVERIFY(printer.fill()); // takes nothing more, as a printer off line
    QPointer<TPosPrtSetFm> w = new TPosPrtSetFm;
    w->show();
    w->setTimeout(1500);
    w->port()->setCurrentText(printer.devicePath());

    QElapsedTimer clock;
    clock.start();
    click(w, QStringLiteral("打印测试"));
    // The button returns at once; the window says it is printing and takes no second test.
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!w->testButton()->isEnabled());
    QCOMPARE(w->status()->text(), QStringLiteral("正在打印测试小票…"));
    // The event loop keeps running all the while, until the message comes.
    QEventLoop loop;
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, &loop, [&] {
        ++ticks;
        if (!prompts.entries().isEmpty())
            loop.quit();
    });
    timer.start(10);
    QTimer::singleShot(6000, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(prompts.entries().size(), 1);
    QVERIFY2(ticks >= 75, qPrintable(QString::number(ticks)));
    QCOMPARE(prompts.entries().first().kind, Prompt::Kind::Warning);
    QVERIFY2(prompts.last().startsWith(QStringLiteral("失败!\n打印机端口 ") + printer.devicePath() +
                                       QStringLiteral(" 在 1.5 秒内没有接收完小票")),
             qPrintable(prompts.last()));
    QVERIFY(w->testButton()->isEnabled());
    QVERIFY(w->status()->text().isEmpty());

    // Closing the window while a receipt is being printed shows nothing afterwards.
    click(w, QStringLiteral("打印测试"));
    delete w.data();
    QTest::qWait(1800);
    QCOMPARE(prompts.entries().size(), 1);
}

QTEST_MAIN(AdminWindowsUiTest)
#include "admin_windows_uitest.moc"
