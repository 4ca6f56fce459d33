#include "BkReturnUt.h"

#include "CirculationDesk.h"
#include "DecimalValidator.h"
#include "Prompt.h"
#include "ResultGrid.h"
#include "db/LoginContext.h"
#include "text/NumberText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QStringList kConditions = {QStringLiteral("完好"), QStringLiteral("破损"),
                                 QStringLiteral("丢失")};

QLineEdit *shownField(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

bool isEnter(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    // Enter in a field runs that field's own step, never a button of the window.
    b->setAutoDefault(false);
    return b;
}

} // namespace

TBkReturnFm::TBkReturnFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBkReturnFm"));
    setWindowTitle(QStringLiteral("归还操作"));
    CirculationDesk::enter(CirculationDesk::ReturnCommand, this);

    auto *searchBox = new QGroupBox(QStringLiteral("搜索未还的借阅记录"), this);
    auto *searchGrid = new QGridLayout(searchBox);
    m_item = new QLineEdit(searchBox);
    m_barcode = new QLineEdit(searchBox);
    m_reader = new QLineEdit(searchBox);
    m_card = new QLineEdit(searchBox);
    m_search = button(QStringLiteral("搜索"), searchBox);
    searchGrid->addWidget(new QLabel(QStringLiteral("图书编号"), searchBox), 0, 0);
    searchGrid->addWidget(m_item, 0, 1);
    searchGrid->addWidget(new QLabel(QStringLiteral("条形码"), searchBox), 0, 2);
    searchGrid->addWidget(m_barcode, 0, 3);
    searchGrid->addWidget(new QLabel(QStringLiteral("读者编号"), searchBox), 1, 0);
    searchGrid->addWidget(m_reader, 1, 1);
    searchGrid->addWidget(new QLabel(QStringLiteral("读者卡号"), searchBox), 1, 2);
    searchGrid->addWidget(m_card, 1, 3);
    searchGrid->addWidget(m_search, 0, 4);
    searchGrid->addWidget(new QLabel(QStringLiteral("[回车]"), searchBox), 1, 4);
    searchGrid->setColumnStretch(1, 1);
    searchGrid->setColumnStretch(3, 1);

    m_grid = new ResultGrid(this);
    m_grid->setKeyField(QStringLiteral("id"));
    m_grid->setNaturalOrder(QStringLiteral("id"));
    using F = ResultGrid::Format;
    m_grid->setColumns({{QStringLiteral("编号"), QString()},
                        {QStringLiteral("名称"), QString()},
                        {QStringLiteral("条形码"), QString()},
                        {QStringLiteral("读者编号"), QString()},
                        {QStringLiteral("读者姓名"), QString()},
                        {QStringLiteral("借阅日期"), QString(), F::Date},
                        {QStringLiteral("借阅经手人"), QString()},
                        {QStringLiteral("类别"), QString()},
                        {QStringLiteral("应还日期"), QString(), F::Date}});
    m_count = new QLabel(this);

    auto *current = new QGroupBox(QStringLiteral("当前记录"), this);
    auto *form = new QFormLayout(current);
    m_curReader = shownField(current);
    m_curName = shownField(current);
    m_curItem = shownField(current);
    m_curTitle = shownField(current);
    m_curLent = shownField(current);
    m_shelf = shownField(current);
    m_rentPeriod = new QLineEdit(current);
    m_rentPeriod->setValidator(new DecimalValidator(true, m_rentPeriod));
    m_rentPeriod->setMaxLength(6);
    m_rent = new QLineEdit(current);
    m_rent->setValidator(new DecimalValidator(m_rent));
    m_rent->setMaxLength(12);
    m_daysOverdue = shownField(current);
    m_fine = shownField(current);
    form->addRow(QStringLiteral("读者编号:"), m_curReader);
    form->addRow(QStringLiteral("读者姓名:"), m_curName);
    form->addRow(QStringLiteral("图书编号:"), m_curItem);
    form->addRow(QStringLiteral("名称:"), m_curTitle);
    form->addRow(QStringLiteral("借阅日期:"), m_curLent);
    form->addRow(QStringLiteral("存放位置:"), m_shelf);
    form->addRow(QStringLiteral("实际租期:"), m_rentPeriod);
    m_rentLabel = new QLabel(QStringLiteral("实际租金:"), current);
    form->addRow(m_rentLabel, m_rent);
    m_daysOverdueLabel = new QLabel(QStringLiteral("超期天数:"), current);
    form->addRow(m_daysOverdueLabel, m_daysOverdue);
    m_fineLabel = new QLabel(QStringLiteral("超期罚金:"), current);
    form->addRow(m_fineLabel, m_fine);

    m_damageBox = new QCheckBox(QStringLiteral("破损/丢失/赔偿"), this);
    m_damage = new QGroupBox(this);
    auto *damageForm = new QFormLayout(m_damage);
    m_condition = new QComboBox(m_damage);
    m_condition->setEditable(true);
    m_condition->addItems(kConditions);
    m_compensation = new QLineEdit(m_damage);
    m_compensation->setValidator(new DecimalValidator(m_compensation));
    m_compensation->setMaxLength(12);
    m_remark = new QPlainTextEdit(m_damage);
    m_remark->setTabChangesFocus(true);
    m_remark->setFixedHeight(m_remark->fontMetrics().lineSpacing() * 3 + 12);
    damageForm->addRow(QStringLiteral("物品状况:"), m_condition);
    damageForm->addRow(QStringLiteral("赔偿金额:"), m_compensation);
    damageForm->addRow(QStringLiteral("归还备注:"), m_remark);

    auto *side = new QVBoxLayout;
    side->addWidget(current);
    side->addWidget(m_damageBox);
    side->addWidget(m_damage);
    side->addStretch();
    auto *listSide = new QVBoxLayout;
    listSide->addWidget(m_grid, 1);
    listSide->addWidget(m_count);
    auto *middle = new QHBoxLayout;
    middle->addLayout(listSide, 1);
    middle->addLayout(side);

    m_return = button(QStringLiteral("归还"), this);
    m_cancel = button(QStringLiteral("取消"), this);
    auto *quit = button(QStringLiteral("退出"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("借阅[F5]"), this));
    buttons->addStretch();
    buttons->addWidget(m_return);
    buttons->addWidget(m_cancel);
    buttons->addWidget(quit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(searchBox);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(980, 560);

    for (QLineEdit *edit : {m_item, m_barcode, m_reader, m_card})
        edit->installEventFilter(this);
    connect(m_search, &QPushButton::clicked, this, &TBkReturnFm::search);
    connect(m_return, &QPushButton::clicked, this, &TBkReturnFm::returnCurrent);
    connect(m_cancel, &QPushButton::clicked, this, &TBkReturnFm::clearAll);
    connect(quit, &QPushButton::clicked, this, &QDialog::close);
    connect(m_damageBox, &QCheckBox::toggled, m_damage, &QWidget::setVisible);
    connect(m_rentPeriod, &QLineEdit::textEdited, this, &TBkReturnFm::periodEdited);
    connect(m_grid, &ResultGrid::currentRowChanged, this, [this] {
        if (!m_loading)
            showCurrent(false);
    });
    auto *borrow = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(borrow, &QShortcut::activated, this,
            [this] { CirculationDesk::show(CirculationDesk::BorrowCommand, this); });
}

bool TBkReturnFm::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit)
        return QDialog::eventFilter(watched, event);
    if (isEnter(event)) {
        if (edit == m_card)
            cardSearch();
        else
            search();
        return true;
    }
    // A click selects the whole text, once the line edit has placed its cursor.
    if (event->type() == QEvent::MouseButtonRelease && edit != m_card)
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void TBkReturnFm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_prepared)
        return;
    m_prepared = true;
    const LoginContext &ctx = loginContext();
    m_rentLabel->setVisible(ctx.rentEnabled);
    m_rent->setVisible(ctx.rentEnabled);
    for (QWidget *w :
         {static_cast<QWidget *>(m_daysOverdueLabel), static_cast<QWidget *>(m_daysOverdue),
          static_cast<QWidget *>(m_fineLabel), static_cast<QWidget *>(m_fine)})
        w->setVisible(ctx.overdueFineEnabled);
    clearAll();
    QString error;
    m_focusField = Returning::focusField(&error);
    m_damageBox->setChecked(false);
    m_damage->setVisible(false);
    if (!error.isEmpty())
        Prompt::warning(this, error);
    focusSearchField();
}

void TBkReturnFm::closeEvent(QCloseEvent *event)
{
    CirculationDesk::closing(this);
    QDialog::closeEvent(event);
}

void TBkReturnFm::focusSearchField()
{
    QLineEdit *field = m_focusField == QStringLiteral("条形码")     ? m_barcode
                       : m_focusField == QStringLiteral("读者编号") ? m_reader
                       : m_focusField == QStringLiteral("图书编号") ? m_item
                                                                    : nullptr;
    if (!field)
        return;
    field->setFocus();
    field->selectAll();
}

void TBkReturnFm::search()
{
    const Returning::Conditions conditions{m_item->text(), m_barcode->text(), m_reader->text()};
    if (conditions.isEmpty()) {
        Prompt::warning(this, Returning::kNoCondition);
        return;
    }
    m_conditions = conditions;
    if (runList())
        showCurrent(true);
}

bool TBkReturnFm::runList()
{
    QString error;
    m_loading = true;
    const bool ok = m_grid->setStatement(Returning::searchStatement(*m_conditions), &error);
    if (ok && m_grid->rowCount() > 0)
        m_grid->setCurrentRow(0);
    m_loading = false;
    showCount();
    if (!ok) {
        showLoanFields(nullptr);
        Prompt::warning(this, error);
    }
    return ok;
}

void TBkReturnFm::cardSearch()
{
    if (m_card->text().isEmpty())
        return;
    const Returning::CardLookup found = Returning::readerOfCard(m_card->text());
    if (!found.found) {
        Prompt::warning(this, found.message);
        return;
    }
    m_reader->setText(found.readerNumber);
    m_card->clear();
    search();
}

void TBkReturnFm::showCurrent(bool fineMessage)
{
    if (m_grid->currentRow() < 0) {
        showLoanFields(nullptr);
        return;
    }
    QString error;
    const std::optional<Returning::Loan> loan =
        Returning::unreturnedLoan(m_grid->currentValue(QStringLiteral("id")).toLongLong(), &error);
    if (!error.isEmpty())
        Prompt::warning(this, error);
    showLoanFields(loan ? &*loan : nullptr);
    if (loan) {
        m_condition->setCurrentText(loan->condition);
        m_compensation->setText(
            m_grid->currentValue(QStringLiteral("赔偿金额")).isNull()
                ? QString()
                : Money::fromVariant(m_grid->currentValue(QStringLiteral("赔偿金额"))).toString());
        m_remark->setPlainText(m_grid->currentValue(QStringLiteral("归还备注")).toString());
    }
    if (fineMessage && loan) {
        const QString message = m_charges.fineMessage(loginContext().overdueFineEnabled);
        if (!message.isEmpty())
            Prompt::info(this, message);
    }
}

void TBkReturnFm::showLoanFields(const Returning::Loan *loan)
{
    m_loan = loan ? std::optional<Returning::Loan>(*loan) : std::nullopt;
    m_charges = loan ? Returning::chargesOf(*loan, QDate::currentDate()) : ReturnCharges();
    m_curReader->setText(loan ? loan->readerNumber : QString());
    m_curName->setText(loan ? loan->readerName : QString());
    m_curItem->setText(loan ? loan->itemNumber : QString());
    m_curTitle->setText(loan ? loan->name : QString());
    m_curLent->setText(loan && loan->lentOn.isValid() ? loan->lentOn.date().toString(Qt::ISODate)
                                                      : QString());
    m_shelf->setText(loan ? Returning::shelfPlace(*loan) : QString());
    m_rentPeriod->setText(m_charges.rentPeriodText());
    m_rent->setText(m_charges.rentText());
    m_daysOverdue->setText(m_charges.daysOverdueText());
    m_fine->setText(m_charges.fineText());
}

void TBkReturnFm::periodEdited(const QString &text)
{
    // The rent follows a changed period at the loan's rent per day; the operator may still
    // type another rent afterwards.
    int period = 0;
    if (!m_loan || !NumberText::toInt(text, &period) || period < 1)
        return;
    if (const std::optional<Money> rent = ReturnCharges::rentFor(period, m_loan->rentPerDay))
        m_rent->setText(rent->toString());
}

void TBkReturnFm::showCount()
{
    m_count->setText(QStringLiteral("当前数量: %1").arg(m_grid->rowCount()));
}

void TBkReturnFm::returnCurrent()
{
    if (!m_conditions)
        return;
    if (m_grid->rowCount() == 0 || m_grid->currentRow() < 0) {
        showCount();
        return;
    }
    Returning::ReturnRequest request;
    request.loanId = m_grid->currentValue(QStringLiteral("id")).toLongLong();
    // Without its dates a loan has no computed period: the core then asks for one.
    if (m_charges.known || !m_rentPeriod->text().trimmed().isEmpty())
        request.rentPeriod = m_rentPeriod->text();
    request.rent = m_rent->text();
    request.damageUsed = m_damageBox->isChecked();
    request.condition = m_condition->currentText();
    request.compensation = m_compensation->text();
    request.remark = m_remark->toPlainText();
    const Returning::ReturnOutcome out = Returning::returnLoan(request, QDate::currentDate());
    if (!out.ok) {
        Prompt::warning(this, out.message);
        if (out.message == Returning::kBadRentPeriod ||
            out.message == Returning::kRentPeriodNeeded) {
            m_rentPeriod->setFocus();
            m_rentPeriod->selectAll();
        } else if (out.message == Returning::kAlreadyReturned) {
            // Returned at another workstation: the list shows what is still out.
            runList();
            showCurrent(false);
        }
        return;
    }
    Prompt::info(this, out.message);
    if (runList())
        showCurrent(false);
    focusSearchField();
}

void TBkReturnFm::clearAll()
{
    for (QLineEdit *edit : {m_item, m_barcode, m_reader, m_card, m_compensation})
        edit->clear();
    m_remark->clear();
    m_grid->clear();
    m_conditions.reset();
    showLoanFields(nullptr);
    m_condition->clear();
    m_condition->addItems(kConditions);
    showCount();
    m_item->setFocus();
    m_item->selectAll();
}
