// The registration, editing and photo windows, driven offscreen.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "readers/RdAddUt.h"
#include "readers/RdEditPicUt.h"
#include "readers/RdEditUt.h"
#include "readers/ReaderPhoto.h"
#include "readers/ReaderPhotoView.h"
#include "readers/ReaderRegistration.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void click(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        if (b->text() == text && !qobject_cast<QCheckBox *>(b) && b->window() == w) {
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

QByteArray pictureBytes(const QColor &colour, const char *format = "PNG")
{
    QImage image(40, 50, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QSqlRecord reader(const QString &number)
{
    Statement st(QStringLiteral("select * from 读者库 where 读者编号="));
    st.value(number);
    QSqlQuery q = st.exec();
    return q.next() ? q.record() : QSqlRecord();
}

qlonglong count(const QString &sql)
{
    return scalar(sql).toLongLong();
}

// The messages, without the file dialogs.
QStringList messages(const PromptRecorder &prompts)
{
    QStringList out;
    for (const PromptRecorder::Entry &e : prompts.entries()) {
        if (e.kind != Prompt::Kind::OpenFile)
            out << e.text;
    }
    return out;
}

void addReader(const QString &number, const QString &name, const QByteArray &photo)
{
    ReaderRegistration::ReaderForm f;
    f.texts = {{"读者编号", number}, {"读者姓名", name},     {"类别", "普通"},
               {"性别", "女"},       {"联系电话", "0771-1"}, {"备注", "老读者"}};
    f.validUntil = QDate(2031, 1, 1);
    f.photo = photo;
    const ReaderRegistration::Result r = ReaderRegistration::add(f);
    QVERIFY2(r.ok, qPrintable(r.message));
}

} // namespace

class ReaderRegistrationUiTest : public QObject {
    Q_OBJECT
private slots:
    void registerReader_data();
    void registerReader();
    void listsCaptionsAndClassFaculty_data();
    void listsCaptionsAndClassFaculty();
    void pinyinFollowsName();
    void requiredMessage();
    void duplicateNumber();
    void photoRefusedKeepsPrevious();
    void editShowsAndSaves();
    void editCancelKeepsStoredPhoto_data();
    void editCancelKeepsStoredPhoto();
    void editEnlargeShowsCurrentPhoto();
    void editChangedElsewhere();
    void viewerWithoutPhoto();
};

void ReaderRegistrationUiTest::registerReader_data()
{
    QTest::addColumn<int>("fee");
    QTest::addColumn<bool>("withPhoto");
    QTest::addColumn<bool>("clearAfterSave");
    QTest::newRow("no fee, no photo, cleared") << 0 << false << true;
    QTest::newRow("fee, photo, cleared") << 5 << true << true;
    QTest::newRow("no fee, photo, kept") << 0 << true << false;
    QTest::newRow("fee, no photo, kept") << 5 << false << false;
}

// The main path: inputs typed, a photo chosen or not, 保存; the reader, its fee when the
// library charges one, "保存完毕", and the inputs reset (the photo with them) or kept.
void ReaderRegistrationUiTest::registerReader()
{
    QFETCH(int, fee);
    QFETCH(bool, withPhoto);
    QFETCH(bool, clearAfterSave);
    TestDb t;
    TSGL_FRESH_DB(t);
    QTemporaryDir files;
    loginContext().adminName = QStringLiteral("管理员甲");
    loginContext().openingFee = Money::fromYuan(fee);
    PromptRecorder prompts;
    TRdAddFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy saved(&w, &TRdAddFm::saved);
    w.show();

    QCOMPARE(w.windowTitle(), QStringLiteral("读者添加"));
    QCOMPARE(w.choiceField("性别")->currentText(), QStringLiteral("男"));
    QCOMPARE(w.choiceField("类别")->currentText(), QStringLiteral("普通"));
    QCOMPARE(w.validUntilField()->date(), QDate(2030, 1, 1));
    QVERIFY(w.clearAfterSaveBox()->isChecked());
    QVERIFY(!w.photoView()->hasPicture());

    type(w.lineField("读者编号"), QStringLiteral(" R001 "));
    type(w.lineField("读者姓名"), QStringLiteral("张三"));
    type(w.lineField("CardId"), QStringLiteral("C9"));
    w.choiceField("性别")->setCurrentText(QStringLiteral("女"));
    w.choiceField("有效证件")->setCurrentText(QStringLiteral("身份证"));
    w.remarksField()->setPlainText(QStringLiteral("备注一"));
    w.validUntilField()->setDate(QDate(2028, 8, 8));
    const QByteArray photo = pictureBytes(Qt::red, "JPG");
    if (withPhoto) {
        prompts.answerOpenFile(writeFile(files, QStringLiteral("照片.jpg"), photo));
        click(&w, QStringLiteral("照片"));
        QVERIFY(w.photoView()->hasPicture());
    }
    w.clearAfterSaveBox()->setChecked(clearAfterSave);
    click(&w, QStringLiteral("保存"));

    QCOMPARE(messages(prompts), QStringList{QStringLiteral("保存完毕")});
    QCOMPARE(saved.count(), 1);
    const QSqlRecord row = reader(QStringLiteral("R001"));
    QVERIFY(!row.isEmpty());
    QCOMPARE(row.value("读者姓名").toString(), QStringLiteral("张三"));
    QCOMPARE(row.value("py").toString(), QStringLiteral("ZS"));
    QCOMPARE(row.value("性别").toString(), QStringLiteral("女"));
    QCOMPARE(row.value("CardId").toString(), QStringLiteral("C9"));
    QCOMPARE(row.value("有效证件").toString(), QStringLiteral("身份证"));
    QCOMPARE(row.value("备注").toString(), QStringLiteral("备注一"));
    QCOMPARE(row.value("登记人").toString(), QStringLiteral("管理员甲"));
    QCOMPARE(dateFromSql(row.value("有效期")), QDate(2028, 8, 8));
    if (withPhoto)
        QCOMPARE(row.value("pic").toByteArray(), photo);
    else
        QVERIFY(row.value("pic").isNull());
    QCOMPARE(count(QStringLiteral("select count(*) from 收入 where 项目='开户费' and "
                                  "读者编号='R001'")),
             fee > 0 ? 1 : 0);

    if (clearAfterSave) {
        QCOMPARE(w.lineField("读者编号")->text(), QString());
        QCOMPARE(w.lineField("读者姓名")->text(), QString());
        QCOMPARE(w.lineField("CardId")->text(), QString());
        QCOMPARE(w.pinyinField()->text(), QString());
        QCOMPARE(w.remarksField()->toPlainText(), QString());
        QCOMPARE(w.choiceField("性别")->currentText(), QStringLiteral("男"));
        QCOMPARE(w.choiceField("类别")->currentText(), QStringLiteral("普通"));
        QCOMPARE(w.choiceField("有效证件")->currentText(), QString());
        QCOMPARE(w.validUntilField()->date(), QDate(2030, 1, 1));
        QVERIFY(!w.photoView()->hasPicture());
        QVERIFY(w.photoView()->photo().isEmpty());
    } else {
        QCOMPARE(w.lineField("读者编号")->text(), QStringLiteral(" R001 "));
        QCOMPARE(w.pinyinField()->text(), QStringLiteral("ZS"));
        QCOMPARE(w.photoView()->photo(), withPhoto ? photo : QByteArray());
        // Saving the same inputs again meets the number now taken.
        prompts.clear();
        click(&w, QStringLiteral("保存"));
        QCOMPARE(messages(prompts),
                 QStringList{QStringLiteral("读者编号“R001”已经存在,请换一个编号!")});
        QCOMPARE(saved.count(), 1);
    }
}

void ReaderRegistrationUiTest::listsCaptionsAndClassFaculty_data()
{
    QTest::addColumn<bool>("showClass");
    QTest::addColumn<bool>("showFaculty");
    QTest::newRow("neither") << false << false;
    QTest::newRow("class") << true << false;
    QTest::newRow("faculty") << false << true;
    QTest::newRow("both") << true << true;
}

// The lists as entered, bold captions for the required inputs, and 班级/院系 as the
// settings say (a hidden one is stored empty).
void ReaderRegistrationUiTest::listsCaptionsAndClassFaculty()
{
    QFETCH(bool, showClass);
    QFETCH(bool, showFaculty);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("insert into 读者类别 (类别名) values ('学生')")).run());
    QVERIFY(Statement(QStringLiteral("insert into 单位名称 values ('二车间')")).run());
    QVERIFY(Statement(QStringLiteral("insert into 单位名称 values ('一车间')")).run());
    loginContext().showClass = showClass;
    loginContext().showFaculty = showFaculty;
    PromptRecorder prompts;
    TRdAddFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();

    auto items = [](QComboBox *box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    };
    QCOMPARE(items(w.choiceField("性别")), (QStringList{"男", "女"}));
    QCOMPARE(items(w.choiceField("类别")), (QStringList{"普通", "学生"}));
    QCOMPARE(items(w.choiceField("单位部门")), (QStringList{"二车间", "一车间"}));
    QCOMPARE(items(w.choiceField("有效证件")), (QStringList{"身份证"}));
    for (const QString &column : ReaderRegistration::textColumns()) {
        const bool required = column == QStringLiteral("读者编号") ||
                              column == QStringLiteral("读者姓名") ||
                              column == QStringLiteral("类别");
        QCOMPARE(w.caption(column)->font().bold(), required);
    }
    QCOMPARE(w.caption("班级")->isVisibleTo(&w), showClass);
    QCOMPARE(w.choiceField("班级")->isVisibleTo(&w), showClass);
    QCOMPARE(w.caption("院系")->isVisibleTo(&w), showFaculty);
    QCOMPARE(w.choiceField("院系")->isVisibleTo(&w), showFaculty);

    type(w.lineField("读者编号"), QStringLiteral("R1"));
    type(w.lineField("读者姓名"), QStringLiteral("李四"));
    if (showClass)
        w.choiceField("班级")->setCurrentText(QStringLiteral("三班"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(messages(prompts), QStringList{QStringLiteral("保存完毕")});
    QCOMPARE(reader(QStringLiteral("R1")).value("班级").toString(),
             showClass ? QStringLiteral("三班") : QString());
    QCOMPARE(reader(QStringLiteral("R1")).value("院系").toString(), QString());
}

void ReaderRegistrationUiTest::pinyinFollowsName()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TRdAddFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QVERIFY(w.pinyinField()->isReadOnly());
    type(w.lineField("读者姓名"), QStringLiteral("红楼梦"));
    QCOMPARE(w.pinyinField()->text(), QStringLiteral("HLM"));
    QTest::keyClick(w.lineField("读者姓名"), Qt::Key_Backspace);
    QCOMPARE(w.pinyinField()->text(), QStringLiteral("HL"));
    type(w.lineField("读者姓名"), QStringLiteral("ab王"));
    QCOMPARE(w.pinyinField()->text(), QStringLiteral("  W"));
}

// 保存 with a required input empty: the message, nothing written, the focus on that input.
void ReaderRegistrationUiTest::requiredMessage()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().openingFee = Money::fromYuan(5);
    PromptRecorder prompts;
    TRdAddFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy saved(&w, &TRdAddFm::saved);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    type(w.lineField("读者编号"), QStringLiteral("R1"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("字体加重的项目必须填写!"));
    QCOMPARE(prompts.entries().last().kind, Prompt::Kind::Warning);
    QVERIFY(w.lineField("读者姓名")->hasFocus());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(count(QStringLiteral("select count(*) from 读者库")), 0);
    QCOMPARE(count(QStringLiteral("select count(*) from 收入")), 0);
    QCOMPARE(w.lineField("读者编号")->text(), QStringLiteral("R1"));
}

// A number already given: a message that names it, nothing written, the inputs kept.
void ReaderRegistrationUiTest::duplicateNumber()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("R1"), QStringLiteral("张三"), QByteArray());
    loginContext().openingFee = Money::fromYuan(5);
    PromptRecorder prompts;
    TRdAddFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy saved(&w, &TRdAddFm::saved);
    w.show();
    type(w.lineField("读者编号"), QStringLiteral("R1"));
    type(w.lineField("读者姓名"), QStringLiteral("李四"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(messages(prompts), QStringList{QStringLiteral("读者编号“R1”已经存在,请换一个编号!")});
    QCOMPARE(saved.count(), 0);
    QCOMPARE(count(QStringLiteral("select count(*) from 读者库")), 1);
    QCOMPARE(reader(QStringLiteral("R1")).value("读者姓名").toString(), QStringLiteral("张三"));
    QCOMPARE(count(QStringLiteral("select count(*) from 收入")), 0);
    QCOMPARE(w.lineField("读者姓名")->text(), QStringLiteral("李四"));
}

// A file over 2 MB, a file that is no picture, or a cancelled dialog leave the photo chosen
// before.
void ReaderRegistrationUiTest::photoRefusedKeepsPrevious()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QTemporaryDir files;
    const QByteArray first = pictureBytes(Qt::green);
    QByteArray big = pictureBytes(Qt::blue);
    big.append(QByteArray(2621440 - big.size(), '\0'));
    PromptRecorder prompts;
    TRdAddFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    prompts.answerOpenFile(writeFile(files, QStringLiteral("a.png"), first));
    click(&w, QStringLiteral("照片"));
    QCOMPARE(w.photoView()->photo(), first);

    prompts.answerOpenFile(writeFile(files, QStringLiteral("big.png"), big));
    click(&w, QStringLiteral("照片"));
    QCOMPARE(prompts.last(),
             QStringLiteral("添加失败:图片文件不能超过2MB,您选择的文件大小为:2.50MB"));
    QCOMPARE(w.photoView()->photo(), first);

    prompts.answerOpenFile(writeFile(files, QStringLiteral("notes.bmp"), "plain text"));
    click(&w, QStringLiteral("照片"));
    QVERIFY(prompts.last().startsWith(QStringLiteral("所选文件不是可以显示的图片")));
    QCOMPARE(w.photoView()->photo(), first);

    prompts.clear();
    click(&w, QStringLiteral("照片")); // cancelled
    QCOMPARE(messages(prompts), QStringList());
    QCOMPARE(w.photoView()->photo(), first);
}

// The editing window shows the row as read, follows the name with 拼音, and 保存 writes the
// changes, tells reader management and closes.
void ReaderRegistrationUiTest::editShowsAndSaves()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QByteArray photo = pictureBytes(Qt::red);
    addReader(QStringLiteral("R1"), QStringLiteral("张三"), photo);
    QVERIFY(Statement(QStringLiteral("update 读者库 set 累计借阅次数=12, 卡内金额=3.5, "
                                     "状态='停用' where 读者编号='R1'"))
                .run());
    loginContext().showClass = true;
    PromptRecorder prompts;
    QPointer<TRdEditFm> w = new TRdEditFm(reader(QStringLiteral("R1")));
    QSignalSpy saved(w.data(), &TRdEditFm::saved);
    w->show();

    QCOMPARE(w->windowTitle(), QStringLiteral("读者编辑"));
    QCOMPARE(w->lineField("读者编号")->text(), QStringLiteral("R1"));
    QCOMPARE(w->lineField("读者姓名")->text(), QStringLiteral("张三"));
    QCOMPARE(w->choiceField("性别")->currentText(), QStringLiteral("女"));
    QCOMPARE(w->choiceField("类别")->currentText(), QStringLiteral("普通"));
    QCOMPARE(w->remarksField()->toPlainText(), QStringLiteral("老读者"));
    QCOMPARE(w->pinyinField()->text(), QStringLiteral("ZS"));
    QCOMPARE(w->validUntilField()->date(), QDate(2031, 1, 1));
    QCOMPARE(w->registeredField()->date(), QDate::currentDate());
    QCOMPARE(w->readOnlyField("累计借阅次数")->text(), QStringLiteral("12"));
    QCOMPARE(w->readOnlyField("状态")->text(), QStringLiteral("停用"));
    QCOMPARE(w->readOnlyField("卡内金额")->text(), QStringLiteral("3.50"));
    for (const char *column : {"累计借阅次数", "状态", "卡内金额"})
        QVERIFY(w->readOnlyField(column)->isReadOnly());
    QVERIFY(w->pinyinField()->isReadOnly());
    QVERIFY(w->lineField("班级")->isVisibleTo(w));
    QVERIFY(!w->lineField("院系")->isVisibleTo(w));
    QCOMPARE(w->photoView()->photo(), photo);

    type(w->lineField("读者姓名"), QStringLiteral("红楼梦"));
    QCOMPARE(w->pinyinField()->text(), QStringLiteral("HLM"));
    type(w->lineField("联系电话"), QStringLiteral("139"));
    w->validUntilField()->setDate(QDate(2033, 3, 3));
    click(w, QStringLiteral("保存"));

    QCOMPARE(messages(prompts), QStringList());
    QCOMPARE(saved.count(), 1);
    QTRY_VERIFY(w.isNull());
    const QSqlRecord row = reader(QStringLiteral("R1"));
    QCOMPARE(row.value("读者姓名").toString(), QStringLiteral("红楼梦"));
    QCOMPARE(row.value("py").toString(), QStringLiteral("HLM"));
    QCOMPARE(row.value("联系电话").toString(), QStringLiteral("139"));
    QCOMPARE(dateFromSql(row.value("有效期")), QDate(2033, 3, 3));
    QCOMPARE(row.value("状态").toString(), QStringLiteral("停用"));
    QCOMPARE(row.value("pic").toByteArray(), photo);
}

void ReaderRegistrationUiTest::editCancelKeepsStoredPhoto_data()
{
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("取消") << false;
    QTest::newRow("close box") << true;
}

// A new photo is shown at once but written only by 保存: 取消, or closing the window by its
// frame, leaves the stored photo and every other column as they were.
void ReaderRegistrationUiTest::editCancelKeepsStoredPhoto()
{
    QFETCH(bool, byCloseBox);
    TestDb t;
    TSGL_FRESH_DB(t);
    QTemporaryDir files;
    const QByteArray stored = pictureBytes(Qt::red);
    const QByteArray chosen = pictureBytes(Qt::blue, "BMP");
    addReader(QStringLiteral("R1"), QStringLiteral("张三"), stored);
    PromptRecorder prompts;
    QPointer<TRdEditFm> w = new TRdEditFm(reader(QStringLiteral("R1")));
    QSignalSpy saved(w.data(), &TRdEditFm::saved);
    w->show();
    prompts.answerOpenFile(writeFile(files, QStringLiteral("new.bmp"), chosen));
    click(w, QStringLiteral("更改照片"));
    QCOMPARE(w->photoView()->photo(), chosen);
    type(w->lineField("读者姓名"), QStringLiteral("李四"));
    if (byCloseBox)
        w->close();
    else
        click(w, QStringLiteral("取消"));
    QTRY_VERIFY(w.isNull());
    QCOMPARE(saved.count(), 0);
    const QSqlRecord row = reader(QStringLiteral("R1"));
    QCOMPARE(row.value("pic").toByteArray(), stored);
    QCOMPARE(row.value("读者姓名").toString(), QStringLiteral("张三"));
}

// 放大 shows the photo the window shows (a newly chosen one too); a click closes the viewer.
void ReaderRegistrationUiTest::editEnlargeShowsCurrentPhoto()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QTemporaryDir files;
    addReader(QStringLiteral("R1"), QStringLiteral("张三"), pictureBytes(Qt::red));
    PromptRecorder prompts;
    TRdEditFm w(reader(QStringLiteral("R1")));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    const QByteArray chosen = pictureBytes(Qt::yellow);
    prompts.answerOpenFile(writeFile(files, QStringLiteral("new.png"), chosen));
    click(&w, QStringLiteral("更改照片"));
    click(&w, QStringLiteral("放大"));
    QPointer<TRdEditPicFm> viewer = w.findChild<TRdEditPicFm *>();
    QVERIFY(viewer);
    QTRY_VERIFY(viewer->isVisible());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Pic"));
    QVERIFY(viewer->isModal());
    QCOMPARE(viewer->photoView()->photo(), chosen);
    QVERIFY(viewer->photoView()->hasPicture());
    QVERIFY(!viewer->photoView()->pixmap().isNull());
    // The picture follows the window.
    viewer->resize(500, 600);
    QTRY_COMPARE(viewer->photoView()->pixmap().width(), 480);
    QTest::mouseClick(viewer->photoView(), Qt::LeftButton);
    QTRY_VERIFY(viewer.isNull());
    QVERIFY(w.isVisible());
}

// Another workstation changed the reader meanwhile: 保存 says so, writes nothing and leaves
// the window open with the changes.
void ReaderRegistrationUiTest::editChangedElsewhere()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("R1"), QStringLiteral("张三"), QByteArray());
    PromptRecorder prompts;
    QPointer<TRdEditFm> w = new TRdEditFm(reader(QStringLiteral("R1")));
    QSignalSpy saved(w.data(), &TRdEditFm::saved);
    w->show();
    QVERIFY(
        Statement(QStringLiteral("update 读者库 set 读者姓名='张三丰' where 读者编号='R1'")).run());
    type(w->lineField("读者姓名"), QStringLiteral("张小三"));
    click(w, QStringLiteral("保存"));
    QCOMPARE(messages(prompts),
             QStringList{QStringLiteral("读者“R1”的资料已在别处被修改,本次修改没有保存。\n"
                                        "请取消后刷新读者列表,再重新编辑。")});
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QCOMPARE(w->lineField("读者姓名")->text(), QStringLiteral("张小三"));
    QCOMPARE(saved.count(), 0);
    QCOMPARE(reader(QStringLiteral("R1")).value("读者姓名").toString(), QStringLiteral("张三丰"));
    delete w;
}

void ReaderRegistrationUiTest::viewerWithoutPhoto()
{
    TRdEditPicFm viewer{QByteArray()};
    viewer.setAttribute(Qt::WA_DeleteOnClose, false);
    viewer.show();
    QVERIFY(!viewer.photoView()->hasPicture());
    QCOMPARE(viewer.photoView()->text(), QStringLiteral("无照片"));
}

QTEST_MAIN(ReaderRegistrationUiTest)
#include "reader_registration_uitest.moc"
