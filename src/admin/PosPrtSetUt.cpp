#include "PosPrtSetUt.h"

#include "Prompt.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "print/ReceiptSettings.h"
#include "print/ReceiptWriter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPosPrtSetFm::TPosPrtSetFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TPosPrtSetFm"));
    setWindowTitle(QStringLiteral("Pos打印机设置"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *portGroup = new QGroupBox(QStringLiteral("打印机端口选择"), this);
    auto *portRow = new QHBoxLayout(portGroup);
    m_port = new QComboBox(portGroup);
    m_port->setEditable(true);
    m_port->addItems(ReceiptSettings::portChoices());
    m_port->setMinimumWidth(160);
    portRow->addWidget(m_port);
    portRow->addStretch();
    layout->addWidget(portGroup);

    m_printAfter = new QCheckBox(QStringLiteral("借出后打印小票"), this);
    layout->addWidget(m_printAfter);

    auto *textGroup = new QGroupBox(QStringLiteral("打印测试内容:"), this);
    auto *textRow = new QHBoxLayout(textGroup);
    m_text = new QLineEdit(QStringLiteral("打印测试内容: 图书管理系统 1234567890"), textGroup);
    m_text->setMinimumWidth(320);
    textRow->addWidget(m_text);
    layout->addWidget(textGroup);

    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    // One line kept free, so that the window does not jump when the text comes.
    m_status->setMinimumHeight(m_status->fontMetrics().height());
    layout->addWidget(m_status);

    auto *buttons = new QHBoxLayout;
    auto *apply = new QPushButton(QStringLiteral("应用"), this);
    m_test = new QPushButton(QStringLiteral("打印测试"), this);
    auto *exit = new QPushButton(QStringLiteral("退出"), this);
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(m_test);
    buttons->addWidget(exit);
    layout->addLayout(buttons);

    m_printAfter->setChecked(loginContext().printReceiptAfterLending);
    m_port->setCurrentText(loginContext().posPort);

    connect(apply, &QPushButton::clicked, this, &TPosPrtSetFm::applyClicked);
    connect(m_test, &QPushButton::clicked, this, &TPosPrtSetFm::testClicked);
    connect(&m_printing, &QFutureWatcherBase::finished, this, &TPosPrtSetFm::testFinished);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void TPosPrtSetFm::applyClicked()
{
    IniFile ini(loginContext().iniPath);
    if (!ReceiptSettings::apply(ini, m_port->currentText(), m_printAfter->isChecked())) {
        Prompt::error(this, ini.errorString());
        return;
    }
    Prompt::info(this, QStringLiteral("修改完毕,重启软件后生效!"));
    accept();
}

void TPosPrtSetFm::testClicked()
{
    if (m_printing.isRunning())
        return;
    // The port as typed, whether applied or not. The receipt is written on the receipt
    // thread: a printer that does not answer keeps the window usable until its time-out.
    const QByteArray bytes = Receipt::testReceipt(loginContext().softName, loginContext().adminName,
                                                  m_clock(), m_text->text());
    m_test->setEnabled(false);
    m_status->setText(QStringLiteral("正在打印测试小票…"));
    m_printing.setFuture(Receipt::send(m_port->currentText(), bytes, m_timeoutMs));
}

void TPosPrtSetFm::testFinished()
{
    m_test->setEnabled(true);
    const Receipt::Outcome outcome = m_printing.result();
    if (outcome.ok) {
        m_status->setText(QStringLiteral("测试小票已发送到打印机。"));
        return;
    }
    m_status->clear();
    Prompt::warning(this, QStringLiteral("失败!\n") + outcome.error);
}
