// The initialization, batch and backup windows, driven offscreen through the main window's
// command table.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "admin/BackUpAccessUt.h"
#include "admin/BatchDataUt.h"
#include "admin/CleandataUt.h"
#include "app/MainCommands.h"
#include "app/WindowRegistry.h"
#include "db/Statement.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void click(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        if (b->text() == text && b->isVisibleTo(w) && !qobject_cast<QCheckBox *>(b)) {
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button ") + text));
}

void exec(const QString &sql)
{
    QString error;
    QVERIFY2(Statement(sql).run(&error), qPrintable(error));
}

qint64 rows(const QString &table)
{
    return scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
}

template <typename Window> Window *open(const QString &command)
{
    WindowRegistry::registerAll();
    const WindowRegistry::Factory factory = WindowRegistry::find(command);
    return factory ? qobject_cast<Window *>(factory(nullptr)) : nullptr;
}

void shoot(QWidget *w, const char *name)
{
    if (!qEnvironmentVariableIsSet("TSGL_SCREENSHOTS"))
        return;
    w->show();
    QCoreApplication::processEvents();
    w->grab().save(qEnvironmentVariable("TSGL_SCREENSHOTS") + QLatin1Char('/') +
                   QString::fromLatin1(name) + QStringLiteral(".png"));
}

} // namespace

class InitializationWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanupWantsTheCode();
    void batchDeletesReadersAfterAsking();
    void batchMovesLocation();
    void backupAndRestoreFromTheWindow();

private:
    std::unique_ptr<TestDb> m_db;
};

void InitializationWindowsTest::init()
{
    m_db = std::make_unique<TestDb>();
    TSGL_FRESH_DB(*m_db);
    exec(QStringLiteral("insert into 图书 (编号, 名称, 存放位置) values ('B1', 'a', '书库')"));
    exec(QStringLiteral(
        "insert into 读者库 (读者编号, 院系) values ('R1', '数学系'), ('R2', '数学系')"));
    exec(QStringLiteral("insert into 借出记录 (读者编号, 编号, 已还) values ('R1', 'B1', '否')"));
    exec(QStringLiteral("insert into 院系 (院系名) values ('数学系')"));
    exec(QStringLiteral("insert into 存放位置 (存放位置名) values ('新库')"));
}

void InitializationWindowsTest::cleanupWantsTheCode()
{
    PromptRecorder prompts;
    QPointer<TCleandataFm> w = open<TCleandataFm>(QStringLiteral("系 统 初 始 化"));
    QVERIFY(w);
    w->show();
    w->selectAll()->setChecked(true);
    shoot(w, "cleandata");
    prompts.answerPassword(QStringLiteral("qlsx"));
    click(w, QStringLiteral("确定"));
    QCOMPARE(prompts.last(), QStringLiteral("密码错误!"));
    QCOMPARE(prompts.entries().first().caption, QStringLiteral("请输入正确的密码"));
    QCOMPARE(rows(QStringLiteral("图书")), qint64(1));
    QVERIFY(w->isVisible());

    prompts.clear();
    w->boxes().at(1)->setChecked(false); // 期刊 stays
    prompts.answerPassword(QStringLiteral("qlsj"));
    click(w, QStringLiteral("确定"));
    QCOMPARE(prompts.texts().mid(1).first(), QStringLiteral("删除图书数据完毕!"));
    QCOMPARE(prompts.texts().size(), 1 + 6);
    QCOMPARE(rows(QStringLiteral("图书")) + rows(QStringLiteral("读者库")) +
                 rows(QStringLiteral("借出记录")),
             qint64(0));
    QTRY_VERIFY(!w);
}

void InitializationWindowsTest::batchDeletesReadersAfterAsking()
{
    PromptRecorder prompts;
    QPointer<TBatchDataFm> w = open<TBatchDataFm>(QStringLiteral("批处理数据"));
    QVERIFY(w);
    w->show();
    w->findChild<QTabWidget *>()->setCurrentIndex(1);
    shoot(w, "batch-readers");
    w->readerBox(0)->setChecked(true);
    click(w, QStringLiteral("执行"));
    QCOMPARE(prompts.last(), QStringLiteral("请选择好再执行!"));
    w->readerList(0)->setCurrentText(QStringLiteral("数学系"));
    prompts.answer(false);
    click(w, QStringLiteral("执行"));
    QVERIFY(
        prompts.last().startsWith(QStringLiteral("将删除 1 位读者,另有 1 位读者还有未还的借阅")));
    QCOMPARE(rows(QStringLiteral("读者库")), qint64(2));
    prompts.answer(true);
    click(w, QStringLiteral("执行"));
    QCOMPARE(prompts.last(), QStringLiteral("已删除 1 位读者."));
    QCOMPARE(scalar(QStringLiteral("select 读者编号 from 读者库")).toString(),
             QStringLiteral("R1"));
    delete w;
}

void InitializationWindowsTest::batchMovesLocation()
{
    PromptRecorder prompts;
    QPointer<TBatchDataFm> w = open<TBatchDataFm>(QStringLiteral("批处理数据"));
    QVERIFY(w);
    w->show();
    shoot(w, "batch");
    w->kind()->setCurrentText(QStringLiteral("图书"));
    w->fromPlace()->setCurrentText(QStringLiteral("书库"));
    click(w, QStringLiteral("执行"));
    QCOMPARE(prompts.last(), QStringLiteral("请选择好再执行!"));
    w->toPlace()->setCurrentText(QStringLiteral("新库"));
    click(w, QStringLiteral("执行"));
    QCOMPARE(prompts.texts().mid(1),
             QStringList({QStringLiteral("update 图书 set 存放位置='新库' where 存放位置='书库'"),
                          QStringLiteral("完成!")}));
    QCOMPARE(scalar(QStringLiteral("select 存放位置 from 图书")).toString(),
             QStringLiteral("新库"));
    delete w;
}

void InitializationWindowsTest::backupAndRestoreFromTheWindow()
{
    PromptRecorder prompts;
    QTemporaryDir folder;
    QPointer<TBackUpAccessFm> w = open<TBackUpAccessFm>(MainCommands::Backup);
    QVERIFY(w);
    w->setClock([] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); });
    w->show();
    w->folder()->setText(folder.path());
    click(w, QStringLiteral("备份"));
    QCOMPARE(prompts.last(), QStringLiteral("备份成功!"));
    QCOMPARE(w->files()->count(), 1);
    QCOMPARE(w->files()->item(0)->text(), QStringLiteral("20260102 030405备份.db"));
    QVERIFY(w->windowTitle().endsWith(QStringLiteral("20260102 030405备份.db")));
    shoot(w, "backup");

    exec(QStringLiteral("delete from 图书"));
    click(w, QStringLiteral("还原"));
    QCOMPARE(prompts.last(), QStringLiteral("请在列表中选择要还原的备份文件."));
    w->files()->setCurrentRow(0);
    prompts.answer(false);
    click(w, QStringLiteral("还原"));
    QCOMPARE(rows(QStringLiteral("图书")), qint64(0));
    prompts.answer(true);
    click(w, QStringLiteral("还原"));
    QVERIFY2(prompts.last().startsWith(QStringLiteral("还原成功!")), qPrintable(prompts.last()));
    QCOMPARE(rows(QStringLiteral("图书")), qint64(1));
    delete w;
}

QTEST_MAIN(InitializationWindowsTest)
#include "initialization_uitest.moc"
