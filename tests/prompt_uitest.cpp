// The prompt service's own dialogs: which button Enter presses in a question, and how the
// password prompt shows what is typed.
#include "Prompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Runs check on the dialog that the next call opens, once it is on the screen.
void whenShown(std::function<void(QWidget *)> check)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [check, poll] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) {
            QTimer::singleShot(10, *poll);
            return;
        }
        check(dialog);
    };
    QTimer::singleShot(0, *poll);
}

} // namespace

class PromptUiTest : public QObject {
    Q_OBJECT
private slots:
    void enterGivesTheDefaultAnswer_data();
    void enterGivesTheDefaultAnswer();
    void passwordIsMaskedWithItsCharacter_data();
    void passwordIsMaskedWithItsCharacter();
};

void PromptUiTest::enterGivesTheDefaultAnswer_data()
{
    QTest::addColumn<Prompt::Answer>("defaultAnswer");
    QTest::newRow("yes") << Prompt::Answer::Yes;
    QTest::newRow("no") << Prompt::Answer::No;
}

void PromptUiTest::enterGivesTheDefaultAnswer()
{
    QFETCH(Prompt::Answer, defaultAnswer);
    QString defaultButton;
    whenShown([&defaultButton](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (!box)
            return;
        if (box->defaultButton() == box->button(QMessageBox::Yes))
            defaultButton = QStringLiteral("yes");
        else if (box->defaultButton() == box->button(QMessageBox::No))
            defaultButton = QStringLiteral("no");
        QTest::keyClick(box, Qt::Key_Return);
    });
    const bool yes = Prompt::ask(nullptr, QStringLiteral("是否创建?"), defaultAnswer);
    QCOMPARE(yes, defaultAnswer == Prompt::Answer::Yes);
    QCOMPARE(defaultButton, yes ? QStringLiteral("yes") : QStringLiteral("no"));
}

void PromptUiTest::passwordIsMaskedWithItsCharacter_data()
{
    QTest::addColumn<QChar>("mask");
    QTest::addColumn<QString>("shown");
    QTest::newRow("star") << QChar(u'*') << "****";
    QTest::newRow("hash") << QChar(u'#') << "####";
    QTest::newRow("no mask") << QChar() << "qlsj";
}

void PromptUiTest::passwordIsMaskedWithItsCharacter()
{
    QFETCH(QChar, mask);
    QFETCH(QString, shown);
    QString displayed;
    whenShown([&displayed](QWidget *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>();
        if (!edit)
            return;
        QTest::keyClicks(edit, QStringLiteral("qlsj"));
        displayed = edit->displayText();
        QTest::keyClick(edit, Qt::Key_Return);
    });
    const PasswordPromptResult r = PasswordPrompt(nullptr, QStringLiteral("请输入正确的密码"),
                                                  QStringLiteral("密码:"), QString(), mask);
    QVERIFY(r.accepted);
    QCOMPARE(r.text, QStringLiteral("qlsj"));
    QCOMPARE(displayed, shown);
}

QTEST_MAIN(PromptUiTest)
#include "prompt_uitest.moc"
