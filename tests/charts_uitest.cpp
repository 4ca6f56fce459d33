// The three lending charts, opened from their main-window commands offscreen.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "BarChart.h"
#include "app/MainUt.h"
#include "db/LoginContext.h"
#include "db/Statement.h"
#include "stats/BkChartUt.h"
#include "stats/ChartFm.h"
#include "stats/QkChartUt.h"
#include "stats/RdChartUt.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

void insertRow(const TopTwelve::Source &s, const QString &key, const QString &label, int count)
{
    Statement st(QStringLiteral("insert into %1 (%2, %3, %4) values (")
                     .arg(s.table, s.keyField, s.labelField, s.valueField));
    st.value(key).text(", ").value(label).text(", ").value(count).text(")");
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

} // namespace

class ChartsUiTest : public QObject {
    Q_OBJECT
private slots:
    void openFromCommand_data();
    void openFromCommand();
    void databaseErrorIsShown();
};

void ChartsUiTest::openFromCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("title");
    QTest::newRow("books") << "图书借阅统计" << int(TopTwelve::Kind::Books) << "TBkChartFm"
                           << "图书统计";
    QTest::newRow("periodicals") << "期刊借阅统计" << int(TopTwelve::Kind::Periodicals)
                                 << "TQkChartFm"
                                 << "期刊统计";
    QTest::newRow("readers") << "读者借阅统计" << int(TopTwelve::Kind::Readers) << "TRdChartFm"
                             << "读者信息";
}

void ChartsUiTest::openFromCommand()
{
    QFETCH(QString, command);
    QFETCH(int, kind);
    QFETCH(QString, className);
    QFETCH(QString, title);
    TestDb t;
    TSGL_FRESH_DB(t);
    const TopTwelve::Source s = TopTwelve::source(TopTwelve::Kind(kind));
    insertRow(s, QStringLiteral("A1"), QStringLiteral("平凡的世界"), 3);
    insertRow(s, QStringLiteral("A2"), QStringLiteral("中华人民共和国地图册（最新版）"), 17);
    insertRow(s, QStringLiteral("A3"), QStringLiteral("围城"), 0);

    PromptRecorder prompts;
    TMainFm main(loginContext());
    QAction *action = main.menuAction(command);
    QVERIFY2(action, qPrintable(command));
    action->trigger();
    QPointer<TChartFm> w = qobject_cast<TChartFm *>(main.openWindow(command));
    QVERIFY(w);
    QCOMPARE(w->metaObject()->className(), className.toLatin1());
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    QVERIFY2(prompts.entries().isEmpty(), qPrintable(prompts.texts().join('\n')));

    const BarChartModel &model = w->chart()->model();
    QCOMPARE(model.title, QStringLiteral("借阅次数排行"));
    QCOMPARE(model.bars.size(), 3);
    QCOMPARE(model.bars[0].label, QStringLiteral("中华人民共和国地图册（最新版）"));
    QCOMPARE(model.bars[0].value, 17.0);
    QCOMPARE(model.bars[2].label, QStringLiteral("围城"));
    // Every bar with its label and value stands inside the chart at the window's size.
    const BarChartModel::Layout l = w->chart()->chartLayout();
    QCOMPARE(l.bars.size(), 3);
    const QRectF inside = QRectF(w->chart()->rect());
    for (const BarChartModel::BarShape &bar : l.bars) {
        QVERIFY(inside.contains(bar.labelRect));
        QVERIFY(inside.contains(bar.valueRect));
    }

    QTest::mouseClick(w->okButton(), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
}

void ChartsUiTest::databaseErrorIsShown()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("drop table 读者库")).run());
    PromptRecorder prompts;
    QPointer<TRdChartFm> w = new TRdChartFm;
    w->show();
    QTRY_COMPARE(prompts.entries().size(), 1);
    QCOMPARE(prompts.entries()[0].kind, Prompt::Kind::Error);
    QVERIFY(prompts.last().contains(QStringLiteral("读者库")));
    QVERIFY(w->chart()->model().bars.isEmpty());
    w->close();
    QTRY_VERIFY(w.isNull());
}

QTEST_MAIN(ChartsUiTest)
#include "charts_uitest.moc"
