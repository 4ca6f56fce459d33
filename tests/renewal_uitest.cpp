// The renewal window driven offscreen: a loan not found gives two messages, the second the
// statement run; a found loan gets the picked date and the window closes; the main window's
// command opens it.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "app/WindowRegistry.h"
#include "circulation/XuJieUt.h"
#include "db/Statement.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

qint64 addLoan(const QString &reader, const QString &item, const QString &returned,
               const QDate &due)
{
    Statement st(
        QStringLiteral("insert into 借出记录(读者编号,编号,已还,应还日期) values(?,?,?,?)"),
        {reader, item, returned, sqlDate(due)});
    QString error;
    if (!st.run(&error))
        qWarning() << error;
    return scalar(QStringLiteral("select max(id) from 借出记录")).toLongLong();
}

QVariant dueOf(qint64 id)
{
    return Statement(QStringLiteral("select 应还日期 from 借出记录 where id=?"), {id}).scalar();
}

void find(TXuJieFm *w, const QString &reader, const QString &item)
{
    w->readerField()->setText(reader);
    w->itemField()->setText(item);
    QTest::mouseClick(w->findButton(), Qt::LeftButton);
}

} // namespace

class RenewalUiTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void notFoundShowsTheStatement();
    void renewsAndCloses();
    void cancelDropsTheLoan();
    void commandsOpenTheWindows_data();
    void commandsOpenTheWindows();

private:
    std::unique_ptr<TestDb> m_db;
};

void RenewalUiTest::init()
{
    m_db = std::make_unique<TestDb>();
    TSGL_FRESH_DB(*m_db);
}

void RenewalUiTest::notFoundShowsTheStatement()
{
    addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("是"), QDate(2026, 1, 10));
    PromptRecorder prompts;
    auto *w = new TXuJieFm;
    w->show();
    QCOMPARE(w->windowTitle(), QStringLiteral("续借"));
    QVERIFY(!w->renewButton()->isEnabled());
    find(w, QStringLiteral("R1"), QStringLiteral("B1"));
    QCOMPARE(prompts.texts(),
             (QStringList{QStringLiteral("没有找到该借阅记录,请检查您输入的信息是否正确!"),
                          QStringLiteral("select * from 借出记录 where 读者编号='R1' and "
                                         "编号='B1' and 已还='否' order by id")}));
    QVERIFY(!w->renewButton()->isEnabled());
    QVERIFY(!w->cancelButton()->isEnabled());
    w->close();
}

void RenewalUiTest::renewsAndCloses()
{
    const qint64 id = addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("否"),
                              QDate(2026, 1, 10));
    PromptRecorder prompts;
    QPointer<TXuJieFm> w = new TXuJieFm;
    w->show();
    find(w, QStringLiteral("R1"), QStringLiteral("B1"));
    QVERIFY(prompts.entries().isEmpty());
    QCOMPARE(w->shownLoan(), id);
    QCOMPARE(w->dueDateEdit()->date(), QDate(2026, 1, 10));
    QVERIFY(w->renewButton()->isEnabled());

    w->dueDateEdit()->setDate(QDate(2025, 12, 1));
    QTest::mouseClick(w->renewButton(), Qt::LeftButton);
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("续借完毕!")});
    QTRY_VERIFY(w.isNull());
    QCOMPARE(dateTimeFromSql(dueOf(id)), QDate(2025, 12, 1).startOfDay());
}

void RenewalUiTest::cancelDropsTheLoan()
{
    const qint64 id = addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("否"),
                              QDate(2026, 1, 10));
    PromptRecorder prompts;
    auto *w = new TXuJieFm;
    w->show();
    find(w, QStringLiteral("R1"), QStringLiteral("B1"));
    QVERIFY(w->cancelButton()->isEnabled());
    QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
    QVERIFY(!w->renewButton()->isEnabled());
    QVERIFY(!w->cancelButton()->isEnabled());
    // A number typed over the found one drops the loan too.
    find(w, QStringLiteral("R1"), QStringLiteral("B1"));
    QTest::keyClick(w->itemField(), Qt::Key_2);
    QVERIFY(!w->renewButton()->isEnabled());
    QCOMPARE(dateFromSql(dueOf(id)), QDate(2026, 1, 10));
    w->close();
}

void RenewalUiTest::commandsOpenTheWindows_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("title");
    QTest::newRow("renewal") << "续    借"
                             << "续借";
    QTest::newRow("reservations") << "预定信息"
                                  << "读者预定信息";
}

void RenewalUiTest::commandsOpenTheWindows()
{
    QFETCH(QString, command);
    QFETCH(QString, title);
    WindowRegistry::registerAll();
    const WindowRegistry::Factory factory = WindowRegistry::find(command);
    QVERIFY(factory);
    QWidget parent;
    QPointer<QWidget> w = factory(&parent);
    QVERIFY(w);
    QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
    w->show();
    QCOMPARE(w->windowTitle(), title);
    w->close();
    QTRY_VERIFY(w.isNull());
}

QTEST_MAIN(RenewalUiTest)
#include "renewal_uitest.moc"
