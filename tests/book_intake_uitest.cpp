// The book intake window, driven offscreen.
#include "PromptRecorder.h"
#include "ReportRecorder.h"
#include "TestDb.h"

#include "catalogue/BkAddUt.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

void click(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        if (b->text() == text && !qobject_cast<QCheckBox *>(b)) {
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button ") + text));
}

QCheckBox *box(QWidget *w, const QString &text)
{
    for (QCheckBox *b : w->findChildren<QCheckBox *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

QLineEdit *line(QWidget *w, const QString &name)
{
    return w->findChild<QLineEdit *>(name);
}

QComboBox *choice(QWidget *w, const QString &name)
{
    return w->findChild<QComboBox *>(name);
}

void run(const QString &sql)
{
    QString error;
    QVERIFY2(Statement(sql).run(&error), qPrintable(sql + QStringLiteral(": ") + error));
}

void addBook(const QString &number, const QString &classification, int zch)
{
    run(QStringLiteral("insert into 图书 (编号, 分类号, zch) values ('%1', '%2', %3)")
            .arg(number, classification)
            .arg(zch));
}

// The fields a save needs, typed.
void fill(TBkAddFm *w, const QString &number)
{
    line(w, "编号")->setText(number);
    w->findChild<QPlainTextEdit *>("名称")->setPlainText(QStringLiteral("红楼梦"));
    line(w, "条形码")->setText(QStringLiteral("9787020002207"));
    line(w, "分类号")->setText(QStringLiteral("I242.4"));
}

QStringList stored()
{
    QSqlQuery q =
        Statement(QStringLiteral("select 编号, zch, 索书号, 名称 from 图书 order by 编号")).exec();
    QStringList out;
    while (q.next())
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(q.value(0).toString(),
                        q.value(1).isNull() ? QString() : q.value(1).toString(),
                        q.value(2).toString(), q.value(3).toString());
    return out;
}

qlonglong count()
{
    return scalar(QStringLiteral("select count(*) from 图书")).toLongLong();
}

} // namespace

class BookIntakeUiTest : public QObject {
    Q_OBJECT
private slots:
    void opening();
    void callNumberOnEnter_data();
    void callNumberOnEnter();
    void publisherOnEnter_data();
    void publisherOnEnter();
    void singleSave();
    void copiesWithRefusedMiddle();
    void automaticNumbering();
    void required_data();
    void required();
    void notWholeNumbers_data();
    void notWholeNumbers();
    void donorFollowsSource();
};

void BookIntakeUiTest::opening()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    run(QStringLiteral("insert into a2 (名称) values ('乙二')"));
    run(QStringLiteral("insert into 分类 (名称) values ('新分类')"));
    loginContext().customListLabel1 = QStringLiteral("密级");
    TBkAddFm w;
    QCOMPARE(w.windowTitle(), QStringLiteral("添加图书---字体加重的项必须填写"));
    QCOMPARE(line(&w, "条形码")->text(), QStringLiteral("n"));
    QCOMPARE(line(&w, "数量")->text(), QStringLiteral("1"));
    QCOMPARE(line(&w, "页数")->text(), QStringLiteral("0"));
    QCOMPARE(line(&w, "价格")->text(), QStringLiteral("0"));
    QCOMPARE(line(&w, "电子文档")->text(), QStringLiteral("n"));
    QCOMPARE(choice(&w, "状态")->currentText(), QStringLiteral("正常"));
    QCOMPARE(choice(&w, "物品级别")->currentText(), QStringLiteral("普通"));
    QCOMPARE(choice(&w, "来源")->currentText(), QStringLiteral("购买"));
    QCOMPARE(choice(&w, "币种")->currentText(), QStringLiteral("人民币"));
    QCOMPARE(line(&w, "间隔字符")->text(), QStringLiteral("."));
    QVERIFY(box(&w, "保存后清空数据")->isChecked());
    QVERIFY(!box(&w, "自动编号")->isChecked());
    QVERIFY(w.findChild<QGroupBox *>("自动编号组")->isHidden());
    QVERIFY(!w.findChild<QAbstractButton *>("ok")->isHidden());
    QVERIFY(choice(&w, "分类")->findText(QStringLiteral("新分类")) >= 0);
    QCOMPARE(choice(&w, "a2")->itemText(choice(&w, "a2")->count() - 1), QStringLiteral("乙二"));
    // The pinyin follows the title.
    w.findChild<QPlainTextEdit *>("名称")->setPlainText(QStringLiteral("中国历史"));
    QCOMPARE(line(&w, "py")->text(), QStringLiteral("ZGLS"));
    w.findChild<QPlainTextEdit *>("名称")->setPlainText(QStringLiteral("a"));
    QCOMPARE(line(&w, "py")->text().trimmed(), QString());
}

void BookIntakeUiTest::callNumberOnEnter_data()
{
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<QString>("callNumber");
    QTest::newRow("1, 2, 7") << QList<int>{1, 2, 7} << QStringLiteral("I247.5/8");
    QTest::newRow("none") << QList<int>{} << QStringLiteral("I247.5/1");
}

void BookIntakeUiTest::callNumberOnEnter()
{
    QFETCH(QList<int>, stored);
    QFETCH(QString, callNumber);
    TestDb t;
    TSGL_FRESH_DB(t);
    for (int z : stored)
        addBook(QStringLiteral("B%1").arg(z), QStringLiteral("I247.5"), z);
    TBkAddFm w;
    line(&w, "分类号")->setText(QStringLiteral("I247.5"));
    QTest::keyClick(line(&w, "分类号"), Qt::Key_Return);
    QCOMPARE(line(&w, "索书号")->text(), callNumber);
    QCOMPARE(line(&w, "zch")->text(), callNumber.section('/', 1));
}

void BookIntakeUiTest::publisherOnEnter_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<QString>("publisher");
    QTest::newRow("two") << "9787020001234"
                         << "7-02"
                         << "人民文学出版社";
    QTest::newRow("four") << "9787500512345"
                          << "7-5005"
                          << "新华出版社";
    QTest::newRow("none: fields kept") << "9787999912345"
                                       << "旧"
                                       << "旧社";
}

void BookIntakeUiTest::publisherOnEnter()
{
    QFETCH(QString, barcode);
    QFETCH(QString, isbn);
    QFETCH(QString, publisher);
    TestDb t;
    TSGL_FRESH_DB(t);
    run(QStringLiteral("insert into 出版社名 (出版社名, ISBN) values ('人民文学出版社', '7-02')"));
    run(QStringLiteral("insert into 出版社名 (出版社名, ISBN) values ('新华出版社', '7-5005')"));
    run(QStringLiteral("insert into 图书 (编号, 条形码) values ('X', '9787500512345')"));
    PromptRecorder prompts;
    loginContext().barcodeDuplicateWarning = true;
    TBkAddFm w;
    line(&w, "isbn")->setText(QStringLiteral("旧"));
    choice(&w, "出版社")->setCurrentText(QStringLiteral("旧社"));
    line(&w, "条形码")->setText(barcode);
    QTest::keyClick(line(&w, "条形码"), Qt::Key_Return);
    QCOMPARE(line(&w, "isbn")->text(), isbn);
    QCOMPARE(choice(&w, "出版社")->currentText(), publisher);
    // The duplicate hint, only for the stored barcode.
    const bool taken = barcode == QLatin1String("9787500512345");
    QCOMPARE(prompts.texts(),
             taken ? QStringList{QStringLiteral("提示:数据库中已经有该条码!")} : QStringList{});
    loginContext().barcodeDuplicateWarning = false;
    prompts.clear();
    QTest::keyClick(line(&w, "条形码"), Qt::Key_Return);
    QVERIFY(prompts.texts().isEmpty());
}

void BookIntakeUiTest::singleSave()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    ReportRecorder reports;
    TBkAddFm w;
    QSignalSpy saved(&w, &TBkAddFm::saved);
    const int classes = choice(&w, "分类")->count();
    fill(&w, QStringLiteral("A1"));
    QTest::keyClick(line(&w, "分类号"), Qt::Key_Return);
    box(&w, "打印标签")->setChecked(true);
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("保存完毕,请继续录入下一条!")});
    QCOMPARE(stored(), QStringList{QStringLiteral("A1 1 I242.4/1 红楼梦")});
    QCOMPARE(saved.count(), 1);
    QCOMPARE(reports.models().size(), 1);
    const ReportModel &label = reports.last();
    QCOMPARE(label.items(0, QStringLiteral("barcode")).first()->barcode.text(),
             QStringLiteral("9787020002207"));
    QVERIFY(label.allTexts(0).contains(QStringLiteral("索书号:I242.4/1")));
    // Cleared, with the number and the lists kept.
    QCOMPARE(line(&w, "编号")->text(), QStringLiteral("A1"));
    QCOMPARE(line(&w, "分类号")->text(), QString());
    QCOMPARE(line(&w, "条形码")->text(), QStringLiteral("n"));
    QCOMPARE(choice(&w, "分类")->count(), classes);
}

// B12 in three copies with separator "-", B12-2 stored: one message for it, the others saved
// with consecutive 种次号; each label shows B12.
void BookIntakeUiTest::copiesWithRefusedMiddle()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addBook(QStringLiteral("B12-2"), QStringLiteral("K20"), 1);
    addBook(QStringLiteral("X"), QStringLiteral("I242.4"), 4);
    PromptRecorder prompts;
    ReportRecorder reports;
    TBkAddFm w;
    QSignalSpy saved(&w, &TBkAddFm::saved);
    fill(&w, QStringLiteral("B12"));
    box(&w, "录入多册(数量)")->setChecked(true);
    box(&w, "打印标签")->setChecked(true);
    line(&w, "册数")->setText(QStringLiteral("3"));
    line(&w, "间隔字符")->setText(QStringLiteral(" - "));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.texts(),
             QStringList({QStringLiteral("保存失败, 因为数据库中已经有这个编号了 (B12-2)"),
                          QStringLiteral("保存完毕,请继续录入下一条!")}));
    QCOMPARE(stored(), QStringList({"B12-1 5 I242.4/5 红楼梦", "B12-2 1  ",
                                    "B12-3 6 I242.4/6 红楼梦", "X 4  "}));
    QCOMPARE(saved.count(), 1);
    QCOMPARE(reports.models().size(), 2);
    for (const ReportModel &m : reports.models())
        QVERIFY(m.allTexts(0).contains(QStringLiteral("编号:B12")));

    // A count of 0 writes nothing and still reports the save.
    prompts.clear();
    fill(&w, QStringLiteral("C"));
    line(&w, "册数")->setText(QStringLiteral("0"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("保存完毕,请继续录入下一条!")});
    QCOMPARE(count(), 4);
    // An empty count is asked for.
    prompts.clear();
    line(&w, "册数")->clear();
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("请输入要录入的数量!")});
}

// A0001, A0002 …; a refused number advances all the same.
void BookIntakeUiTest::automaticNumbering()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addBook(QStringLiteral("A0002"), QStringLiteral("K"), 1);
    PromptRecorder prompts;
    TBkAddFm w;
    w.show();
    box(&w, "自动编号")->setChecked(true);
    QVERIFY(!w.findChild<QGroupBox *>("自动编号组")->isHidden());
    line(&w, "前缀")->setText(QStringLiteral("A"));
    line(&w, "起始值")->setText(QStringLiteral("0001"));
    click(&w, QStringLiteral("使用自动编号"));
    QCOMPARE(line(&w, "编号")->text(), QStringLiteral("A0001"));
    for (const char *expected : {"A0002", "A0003", "A0004"}) {
        fill(&w, line(&w, "编号")->text());
        click(&w, QStringLiteral("保存"));
        QCOMPARE(line(&w, "编号")->text(), QString::fromUtf8(expected));
    }
    QCOMPARE(
        prompts.texts().count(QStringLiteral("保存失败, 因为数据库中已经有这个编号了 (A0002)")), 1);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 图书 where 编号 in "
                                   "('A0001','A0002','A0003')"))
                 .toInt(),
             3);
}

void BookIntakeUiTest::required_data()
{
    QTest::addColumn<QString>("field");
    for (const char *f : {"编号", "名称", "条形码", "数量", "物品级别", "价格"})
        QTest::newRow(f) << QString::fromUtf8(f);
}

void BookIntakeUiTest::required()
{
    QFETCH(QString, field);
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TBkAddFm w;
    fill(&w, QStringLiteral("A1"));
    if (field == QStringLiteral("名称"))
        w.findChild<QPlainTextEdit *>(field)->clear();
    else if (QComboBox *c = choice(&w, field))
        c->setCurrentText(QString());
    else
        line(&w, field)->clear();
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("字体加重的项目必须填写完整!")});
    QCOMPARE(count(), 0);
}

void BookIntakeUiTest::notWholeNumbers_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("count 1.5") << "册数"
                               << "1.5"
                               << "要录入的数量必须是整数!";
    QTest::newRow("count 三") << "册数"
                              << "三"
                              << "要录入的数量必须是整数!";
    QTest::newRow("start 1.5") << "起始值"
                               << "1.5"
                               << "自动编号的起始值必须是整数!";
    QTest::newRow("start empty") << "起始值"
                                 << ""
                                 << "自动编号的起始值必须是整数!";
}

void BookIntakeUiTest::notWholeNumbers()
{
    QFETCH(QString, input);
    QFETCH(QString, text);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TBkAddFm w;
    w.show();
    fill(&w, QStringLiteral("A1"));
    box(&w, "录入多册(数量)")->setChecked(input == QStringLiteral("册数"));
    box(&w, "自动编号")->setChecked(true);
    line(&w, input)->setText(text);
    click(&w, input == QStringLiteral("册数") ? QStringLiteral("保存")
                                              : QStringLiteral("使用自动编号"));
    QCOMPARE(prompts.texts(), QStringList{message});
    QCOMPARE(line(&w, "编号")->text(), QStringLiteral("A1"));
    QCOMPARE(count(), 0);
}

void BookIntakeUiTest::donorFollowsSource()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    TBkAddFm w;
    w.show();
    QVERIFY(line(&w, "捐赠人")->isHidden());
    choice(&w, "来源")->setCurrentText(QStringLiteral("捐赠"));
    QVERIFY(line(&w, "捐赠人")->isVisible());
    line(&w, "捐赠人")->setText(QStringLiteral("李四"));
    choice(&w, "来源")->setCurrentText(QStringLiteral("购买"));
    QVERIFY(line(&w, "捐赠人")->isHidden());
    QCOMPARE(line(&w, "捐赠人")->text(), QString());
}

QTEST_MAIN(BookIntakeUiTest)
#include "book_intake_uitest.moc"
