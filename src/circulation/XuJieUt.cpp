#include "XuJieUt.h"

#include "Prompt.h"
#include "circulation/Renewal.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TXuJieFm::TXuJieFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TXuJieFm"));
    setWindowTitle(QStringLiteral("续借"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *findBox = new QGroupBox(QStringLiteral("查找借阅记录"), this);
    auto *findForm = new QFormLayout(findBox);
    m_reader = new QLineEdit(findBox);
    m_item = new QLineEdit(findBox);
    m_find = new QPushButton(QStringLiteral("确定"), findBox);
    // The card reader types the card number itself; the command stays hidden.
    auto *card = new QPushButton(QStringLiteral("读卡[F1]"), findBox);
    card->setShortcut(Qt::Key_F1);
    card->hide();
    auto *itemRow = new QHBoxLayout;
    itemRow->addWidget(m_item, 1);
    itemRow->addWidget(m_find);
    itemRow->addWidget(card);
    findForm->addRow(QStringLiteral("读者编号:"), m_reader);
    findForm->addRow(QStringLiteral("书刊编号:"), itemRow);

    m_due = new QDateEdit(QDate::currentDate(), this);
    m_due->setCalendarPopup(true);
    m_due->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_due->setToolTip(QStringLiteral("请选择应还日期"));
    auto *dueForm = new QFormLayout;
    dueForm->addRow(QStringLiteral("应还日期:"), m_due);

    m_renew = new QPushButton(QStringLiteral("续借"), this);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    auto *quit = new QPushButton(QStringLiteral("退出"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_find, m_renew, m_cancel, quit, card}) {
        b->setAutoDefault(false);
        if (b != m_find && b != card)
            buttons->addWidget(b);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(findBox);
    layout->addLayout(dueForm);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    // Enter in the reader number goes on to the item number, Enter there finds the loan.
    connect(m_reader, &QLineEdit::returnPressed, m_item, [this] { m_item->setFocus(); });
    connect(m_item, &QLineEdit::returnPressed, this, &TXuJieFm::findClicked);
    connect(m_find, &QPushButton::clicked, this, &TXuJieFm::findClicked);
    connect(m_renew, &QPushButton::clicked, this, &TXuJieFm::renewClicked);
    connect(m_cancel, &QPushButton::clicked, this, [this] { showLoan(0); });
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    // A number typed over the found loan's drops it, so that 续借 never writes a loan other
    // than the one the fields name.
    for (QLineEdit *edit : {m_reader, m_item})
        connect(edit, &QLineEdit::textEdited, this, [this] { showLoan(0); });

    showLoan(0);
    m_reader->setFocus();
}

void TXuJieFm::showLoan(qint64 loanId)
{
    m_loanId = loanId;
    m_renew->setEnabled(loanId != 0);
    m_cancel->setEnabled(loanId != 0);
}

void TXuJieFm::findClicked()
{
    const Renewal::Found f = Renewal::find(m_reader->text(), m_item->text());
    if (!f.error.isEmpty()) {
        showLoan(0);
        Prompt::error(this, f.error);
        return;
    }
    if (!f.found) {
        showLoan(0);
        Prompt::warning(this, Renewal::kNotFound);
        Prompt::info(this, f.statementText);
        return;
    }
    // A loan without a due date starts from today.
    m_due->setDate(f.dueDate.isValid() ? f.dueDate : QDate::currentDate());
    showLoan(f.loanId);
    m_due->setFocus();
}

void TXuJieFm::renewClicked()
{
    if (m_loanId == 0)
        return;
    const Renewal::Result r = Renewal::renew(m_loanId, m_due->date());
    if (!r.ok) {
        if (r.message == Renewal::kReturnedMeanwhile)
            showLoan(0);
        Prompt::warning(this, r.message);
        return;
    }
    showLoan(0);
    Prompt::info(this, Renewal::kRenewed);
    accept();
}
