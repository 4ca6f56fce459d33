#include "ShouFeiUt.h"

#include "DecimalValidator.h"
#include "Prompt.h"
#include "circulation/Charges.h"

#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TShouFeiFm::TShouFeiFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TShouFeiFm"));
    setWindowTitle(QStringLiteral("收费"));

    m_item = new QComboBox(this);
    m_item->setEditable(true);
    m_item->setInsertPolicy(QComboBox::NoInsert);
    m_item->addItems(Charges::kItems);
    m_item->setCurrentIndex(0);
    m_amount = new QLineEdit(this);
    m_amount->setValidator(new DecimalValidator(m_amount));
    // Fourteen whole digits and four decimals are what an amount can hold.
    m_amount->setMaxLength(19);
    m_note = new QLineEdit(this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("项目:"), m_item);
    form->addRow(QStringLiteral("金额:"), m_amount);
    form->addRow(QStringLiteral("备注:"), m_note);

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(m_ok, &QPushButton::clicked, this, &TShouFeiFm::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TShouFeiFm::showEvent(QShowEvent *event)
{
    // The main window opens every window to be destroyed when closed; this one outlives its
    // closing (it only hides), so that the next opening shows what was last entered. The
    // main window keeps it and shows it again.
    setAttribute(Qt::WA_DeleteOnClose, false);
    QDialog::showEvent(event);
    m_amount->setFocus();
    m_amount->selectAll();
}

void TShouFeiFm::okClicked()
{
    const Charges::Result r = Charges::record(m_item->currentText(), m_amount->text(),
                                              m_note->text(), QDateTime::currentDateTime());
    if (!r.ok) {
        Prompt::warning(this, r.message);
        QWidget *field = r.message == Charges::kNoItem ? static_cast<QWidget *>(m_item) : m_amount;
        field->setFocus();
        if (field == m_amount)
            m_amount->selectAll();
        return;
    }
    accept();
}
