// The reservation window driven offscreen: the reserved books are listed, 取消全部预定 clears
// them at once and lists again, periodicals stay reserved.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "ResultGrid.h"
#include "circulation/ReserveUt.h"
#include "db/Statement.h"

#include <QDateTime>
#include <QPushButton>
#include <QtTest>

class ReservationsUiTest : public QObject {
    Q_OBJECT
private slots:
    void listCancelAllRefresh();
};

void ReservationsUiTest::listCancelAllRefresh()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QVariant until = sqlDateTime(QDateTime(QDate(2026, 5, 1), QTime(18, 30)));
    const QString insert = QStringLiteral(
        "insert into %1(编号,名称,条形码,数量,预定状况,预定到期时间) values(?,'书','n',1,?,?)");
    for (const QString &n : {QStringLiteral("B1"), QStringLiteral("B2")})
        QVERIFY(
            Statement(insert.arg(QStringLiteral("图书")), {n, QStringLiteral("R1"), until}).run());
    QVERIFY(Statement(insert.arg(QStringLiteral("期刊")),
                      {QStringLiteral("Q1"), QStringLiteral("R2"), until})
                .run());

    PromptRecorder prompts;
    auto *w = new TReserveFm;
    w->show();
    QCOMPARE(w->windowTitle(), QStringLiteral("读者预定信息"));
    ResultGrid *grid = w->grid();
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->displayText(0, QStringLiteral("预定到期时间")),
             QStringLiteral("2026-05-01 18:30:00"));
    QCOMPARE(grid->visibleColumns().size(), 5);

    QTest::mouseClick(w->cancelAllButton(), Qt::LeftButton);
    QVERIFY(prompts.entries().isEmpty());
    QCOMPARE(grid->rowCount(), 0);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 期刊 where 预定状况='R2'")).toInt(), 1);

    // Reserved again from outside: 刷新 shows it.
    QVERIFY(Statement(QStringLiteral("update 图书 set 预定状况='R3' where 编号='B2'")).run());
    QTest::mouseClick(w->refreshButton(), Qt::LeftButton);
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->value(0, QStringLiteral("预定状况")).toString(), QStringLiteral("R3"));
    w->close();
}

QTEST_MAIN(ReservationsUiTest)
#include "reservations_uitest.moc"
