#include "BkBorrowUt.h"

#include "BorrowOptUt.h"
#include "CirculationDesk.h"
#include "Prompt.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "print/ReceiptWriter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const int kPairsPerRow = 3;

bool isEnter(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QString textOf(const QSqlRecord &r, const QString &column)
{
    const QVariant v = r.value(column);
    return v.isNull() ? QString() : v.toString();
}

QString moneyOf(const QSqlRecord &r, const QString &column)
{
    const QVariant v = r.value(column);
    return v.isNull() ? QString() : Money::fromVariant(v).toFixed2();
}

} // namespace

TBkBorrowFm::TBkBorrowFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBkBorrowFm"));
    setWindowTitle(QStringLiteral("借阅- 首先查询确定读者身份,然后确定预借的图书信息."
                                  "被借物信息出现在下面列表后点击借出,完成操作."));
    setAttribute(Qt::WA_DeleteOnClose);

    m_queueView = new QTreeWidget(this);
    m_queueView->setRootIsDecorated(false);
    m_queueView->setColumnCount(LendingEntry::captions().size());
    m_queueView->setHeaderLabels(LendingEntry::captions());
    m_queueView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_queueView->setMinimumHeight(140);

    m_count = new QLabel(this);
    m_print = new QCheckBox(QStringLiteral("借出后打印"), this);
    m_remove = new QPushButton(QStringLiteral("取消"), this);
    m_removeAll = new QPushButton(QStringLiteral("取消全部"), this);
    m_lend = new QPushButton(QStringLiteral("借出"), this);
    m_exit = new QPushButton(QStringLiteral("退出"), this);
    for (QPushButton *b : {m_remove, m_removeAll, m_lend, m_exit})
        b->setAutoDefault(false);

    auto *countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("当前数量:"), this));
    countRow->addWidget(m_count);
    countRow->addStretch();
    countRow->addWidget(m_print);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_remove, m_removeAll, m_lend, m_exit})
        buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createReaderBox());
    layout->addWidget(createItemBox());
    layout->addWidget(m_queueView, 1);
    layout->addLayout(countRow);
    layout->addLayout(buttons);
    resize(760, 620);

    setDuplicateChooser({});
    connect(this, &TBkBorrowFm::readerPickerRequested, this, &TBkBorrowFm::openReaderPicker);
    connect(this, &TBkBorrowFm::itemPickerRequested, this, &TBkBorrowFm::openItemPicker);
    connect(m_remove, &QPushButton::clicked, this, &TBkBorrowFm::removeClicked);
    connect(m_removeAll, &QPushButton::clicked, this, &TBkBorrowFm::CleanData);
    connect(m_lend, &QPushButton::clicked, this, &TBkBorrowFm::lendClicked);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::close);
    auto *toReturn = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(toReturn, &QShortcut::activated, this,
            [this] { CirculationDesk::show(CirculationDesk::ReturnCommand, this); });

    CirculationDesk::enter(CirculationDesk::BorrowCommand, this);
}

TBkBorrowFm::~TBkBorrowFm() = default;

QLineEdit *TBkBorrowFm::addShown(QGridLayout *grid, int index, const QString &caption)
{
    auto *label = new QLabel(caption + QLatin1Char(':'), grid->parentWidget());
    auto *edit = new QLineEdit(grid->parentWidget());
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    const int row = 1 + index / kPairsPerRow;
    const int col = 2 * (index % kPairsPerRow);
    grid->addWidget(label, row, col);
    grid->addWidget(edit, row, col + 1);
    m_shown.insert(caption, edit);
    m_shownLabels.insert(caption, label);
    return edit;
}

QGroupBox *TBkBorrowFm::createReaderBox()
{
    auto *box = new QGroupBox(QStringLiteral("读者"), this);
    auto *grid = new QGridLayout(box);
    m_readerField = new QLineEdit(box);
    m_readerField->installEventFilter(this);
    grid->addWidget(new QLabel(QStringLiteral("读者编号"), box), 0, 0);
    grid->addWidget(m_readerField, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("[回车]"), box), 0, 4);
    const QStringList captions{
        QStringLiteral("读者编号"),     QStringLiteral("读者姓名"), QStringLiteral("性别"),
        QStringLiteral("状态"),         QStringLiteral("类别"),     QStringLiteral("未还数量"),
        QStringLiteral("累计借阅次数"), QStringLiteral("卡内金额"), QStringLiteral("有效期"),
        QStringLiteral("借阅数量限制"), QStringLiteral("借阅天数"), QStringLiteral("租金")};
    for (int i = 0; i < captions.size(); ++i)
        addShown(grid, i, captions.at(i));
    return box;
}

QGroupBox *TBkBorrowFm::createItemBox()
{
    m_itemBox = new QGroupBox(LendingDesk::Book, this);
    auto *grid = new QGridLayout(m_itemBox);

    auto *choices = new QHBoxLayout;
    m_books = new QRadioButton(LendingDesk::Book, m_itemBox);
    m_periodicals = new QRadioButton(LendingDesk::Periodical, m_itemBox);
    m_byNumber = new QRadioButton(LendingDesk::ByNumber, m_itemBox);
    m_byBarcode = new QRadioButton(LendingDesk::ByBarcode, m_itemBox);
    auto *kinds = new QButtonGroup(m_itemBox);
    kinds->addButton(m_books);
    kinds->addButton(m_periodicals);
    auto *columns = new QButtonGroup(m_itemBox);
    columns->addButton(m_byNumber);
    columns->addButton(m_byBarcode);
    m_books->setChecked(true);
    m_byNumber->setChecked(true);
    for (QRadioButton *b : {m_books, m_periodicals, m_byNumber, m_byBarcode}) {
        b->setFocusPolicy(Qt::NoFocus);
        if (b == m_byNumber)
            choices->addSpacing(16);
        choices->addWidget(b);
    }
    choices->addStretch();

    m_itemCaption = new QLabel(LendingDesk::ByNumber, m_itemBox);
    m_itemField = new QLineEdit(m_itemBox);
    m_itemField->installEventFilter(this);
    m_itemHint = new QLabel(QStringLiteral("[回车]"), m_itemBox);
    m_itemSearch = new QPushButton(QStringLiteral("确定"), m_itemBox);
    m_itemSearch->setAutoDefault(false);
    auto *input = new QHBoxLayout;
    input->addWidget(m_itemField, 1);
    input->addWidget(m_itemHint);
    input->addWidget(m_itemSearch);
    grid->addWidget(m_itemCaption, 0, 0);
    grid->addLayout(input, 0, 1, 1, 3);
    grid->addLayout(choices, 0, 4, 1, 2);

    const QStringList captions{QStringLiteral("编号"),     QStringLiteral("名称"),
                               QStringLiteral("条形码"),   QStringLiteral("分类"),
                               QStringLiteral("数量"),     QStringLiteral("存放位置"),
                               QStringLiteral("出版社"),   QStringLiteral("价格"),
                               QStringLiteral("物品级别"), QStringLiteral("级别租金")};
    for (int i = 0; i < captions.size(); ++i)
        addShown(grid, i, captions.at(i));

    // The kind names the group; the column names the field. Nothing else changes.
    connect(m_books, &QRadioButton::toggled, this, [this] { m_itemBox->setTitle(itemKind()); });
    connect(m_byNumber, &QRadioButton::toggled, this,
            [this] { m_itemCaption->setText(lookupColumn()); });
    connect(m_itemSearch, &QPushButton::clicked, this, &TBkBorrowFm::bksearch);
    return m_itemBox;
}

QString TBkBorrowFm::itemKind() const
{
    return m_periodicals->isChecked() ? LendingDesk::Periodical : LendingDesk::Book;
}

void TBkBorrowFm::setItemKind(const QString &kind)
{
    (kind == LendingDesk::Periodical ? m_periodicals : m_books)->setChecked(true);
}

QString TBkBorrowFm::lookupColumn() const
{
    return m_byBarcode->isChecked() ? LendingDesk::ByBarcode : LendingDesk::ByNumber;
}

void TBkBorrowFm::setLookupColumn(const QString &column)
{
    (column == LendingDesk::ByBarcode ? m_byBarcode : m_byNumber)->setChecked(true);
}

void TBkBorrowFm::setDuplicateChooser(DuplicateChooser chooser)
{
    m_chooser = chooser ? std::move(chooser)
                        : [this](const QVector<QSqlRecord> &rows) { return chooseDuplicate(rows); };
}

int TBkBorrowFm::chooseDuplicate(const QVector<QSqlRecord> &rows)
{
    TBorrowOptBarCodeFm picker(rows, this);
    picker.exec();
    return picker.chosenRow();
}

// The reader and item pickers hand their choice back through this window's own lookups, so
// a picked reader or item meets every check a typed one does. They are modal but do not
// block the caller: the lookup runs from the picker's button or double click.
void TBkBorrowFm::openReaderPicker()
{
    auto *picker =
        new TBorrowOptRdFm([this](const QString &number) { lookUpReader(number); }, this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    picker->setWindowModality(Qt::ApplicationModal);
    picker->show();
}

void TBkBorrowFm::openItemPicker()
{
    auto *picker = new TBorrowOptBkFm(
        itemKind(), lookupColumn() == LendingDesk::ByBarcode,
        [this](const QString &value) { lookUpItem(value); }, this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    picker->setWindowModality(Qt::ApplicationModal);
    picker->show();
}

void TBkBorrowFm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Restored from the task bar the desk keeps its reader and queue.
    if (event->spontaneous())
        return;
    CleanData();
    applySettings();
}

void TBkBorrowFm::closeEvent(QCloseEvent *event)
{
    CirculationDesk::closing(this);
    QDialog::closeEvent(event);
}

void TBkBorrowFm::applySettings()
{
    const LoginContext &ctx = loginContext();
    m_itemHint->setVisible(ctx.enterKeySearch);
    m_itemSearch->setVisible(!ctx.enterKeySearch);
    m_print->setChecked(ctx.printReceiptAfterLending);
    const QMap<QString, bool> visible{
        {QStringLiteral("卡内金额"), ctx.rentEnabled},
        {QStringLiteral("有效期"), ctx.readerValidityEnabled},
        {QStringLiteral("租金"), ctx.rentEnabled && ctx.readerRentEnabled},
        {QStringLiteral("物品级别"), ctx.rentEnabled && !ctx.readerRentEnabled},
        {QStringLiteral("级别租金"), ctx.rentEnabled && !ctx.readerRentEnabled}};
    for (auto it = visible.cbegin(); it != visible.cend(); ++it) {
        m_shown.value(it.key())->setVisible(it.value());
        m_shownLabels.value(it.key())->setVisible(it.value());
    }
    setLookupColumn(LendingDesk::lookupColumnFromSettings(lookupColumn()));
}

bool TBkBorrowFm::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit != m_readerField && edit != m_itemField)
        return QDialog::eventFilter(watched, event);
    if (isEnter(event)) {
        if (edit == m_readerField)
            RdSearch();
        else if (loginContext().enterKeySearch)
            bksearch();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (edit == m_readerField)
            emit readerPickerRequested();
        else
            emit itemPickerRequested();
        return true;
    }
    // A click selects the whole text, once the line edit has placed its cursor.
    if (event->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void TBkBorrowFm::lookUpReader(const QString &text)
{
    m_readerField->setText(text);
    RdSearch();
}

void TBkBorrowFm::lookUpItem(const QString &text)
{
    m_itemField->setText(text);
    bksearch();
}

void TBkBorrowFm::RdSearch()
{
    const LendingDesk::ReaderOutcome out =
        m_desk.acceptReader(m_readerField->text(), QDate::currentDate());
    showReader();
    switch (out.status) {
    case LendingDesk::ReaderOutcome::Accepted:
        m_readerField->clear();
        m_itemField->setFocus();
        return;
    case LendingDesk::ReaderOutcome::Failed:
        Prompt::error(this, out.message);
        return;
    case LendingDesk::ReaderOutcome::NotFound:
        Prompt::warning(this, out.message);
        m_readerField->setFocus();
        m_readerField->selectAll();
        return;
    case LendingDesk::ReaderOutcome::Refused:
    case LendingDesk::ReaderOutcome::CategoryProblem:
        Prompt::warning(this, out.message);
        return;
    }
}

void TBkBorrowFm::bksearch()
{
    const QString kind = itemKind();
    const LendingDesk::LookupOutcome found =
        m_desk.lookUpItems(kind, lookupColumn(), m_itemField->text(), QDateTime::currentDateTime());
    if (!found.ok) {
        Prompt::warning(this, found.message);
        if (!m_desk.hasReader()) {
            m_readerField->setFocus();
            return;
        }
        m_itemField->setFocus();
        m_itemField->selectAll();
        return;
    }
    int chosen = 0;
    if (found.rows.size() > 1)
        chosen = qBound(0, m_chooser(found.rows), int(found.rows.size()) - 1);
    const LendingDesk::QueueOutcome out = m_desk.queueItem(kind, found.rows.at(chosen));
    showItem();
    showQueue();
    if (out.status == LendingDesk::QueueOutcome::Failed)
        Prompt::error(this, out.message);
    else if (!out.message.isEmpty())
        Prompt::warning(this, out.message);
    m_itemField->setFocus();
    m_itemField->selectAll();
}

void TBkBorrowFm::showReader()
{
    const QSqlRecord &r = m_desk.reader();
    for (const char *column :
         {"读者编号", "读者姓名", "性别", "状态", "类别", "未还数量", "累计借阅次数"}) {
        const QString c = QString::fromUtf8(column);
        m_shown.value(c)->setText(textOf(r, c));
    }
    m_shown.value(QStringLiteral("卡内金额"))->setText(moneyOf(r, QStringLiteral("卡内金额")));
    const QDate valid = dateFromSql(r.value(QStringLiteral("有效期")));
    m_shown.value(QStringLiteral("有效期"))
        ->setText(valid.isValid() ? valid.toString(QStringLiteral("yyyy-MM-dd")) : QString());
    m_shown.value(QStringLiteral("借阅数量限制"))->setText(m_desk.loanLimit());
    m_shown.value(QStringLiteral("借阅天数"))->setText(m_desk.loanDays());
    m_shown.value(QStringLiteral("租金"))->setText(m_desk.categoryRent());
}

void TBkBorrowFm::showItem()
{
    const QSqlRecord &r = m_desk.currentItem();
    for (const char *column :
         {"编号", "名称", "条形码", "分类", "数量", "存放位置", "出版社", "物品级别"}) {
        const QString c = QString::fromUtf8(column);
        m_shown.value(c)->setText(textOf(r, c));
    }
    m_shown.value(QStringLiteral("价格"))->setText(moneyOf(r, QStringLiteral("价格")));
    m_shown.value(QStringLiteral("级别租金"))
        ->setText(r.isEmpty() ? QString() : m_desk.itemLevelRent());
}

void TBkBorrowFm::showQueue()
{
    m_queueView->clear();
    for (const LendingEntry &e : m_desk.queue())
        m_queueView->addTopLevelItem(new QTreeWidgetItem(e.fields()));
    // A scanned barcode or a long title is shown whole rather than cut off.
    for (int c = 0; c < m_queueView->columnCount(); ++c) {
        const int width = m_queueView->columnWidth(c);
        m_queueView->resizeColumnToContents(c);
        m_queueView->setColumnWidth(c, std::max(width, m_queueView->columnWidth(c)));
    }
    m_count->setText(QString::number(m_desk.queue().size()));
}

void TBkBorrowFm::CleanData()
{
    m_desk.clear();
    m_readerField->clear();
    m_itemField->clear();
    showReader();
    showItem();
    showQueue();
    m_readerField->setFocus();
}

void TBkBorrowFm::removeClicked()
{
    const int index = m_queueView->indexOfTopLevelItem(m_queueView->currentItem());
    if (index >= 0 && m_queueView->currentItem()->isSelected() &&
        Prompt::ask(this, m_desk.removeQuestion(index), Prompt::Answer::No))
        m_desk.removeEntry(index);
    showQueue();
}

void TBkBorrowFm::lendClicked()
{
    const LendingDesk::LendOutcome out =
        m_desk.lend(QDateTime::currentDateTime(), m_print->isChecked());
    // The receipt goes to the printer on its own thread; lending never waits for it and a
    // printer that fails says nothing.
    if (!out.receipt.isEmpty())
        Receipt::send(loginContext().posPort, out.receipt);
    switch (out.status) {
    case LendingDesk::LendOutcome::NothingQueued:
        return;
    case LendingDesk::LendOutcome::NoReader:
        Prompt::warning(this, out.message);
        m_readerField->setFocus();
        return;
    case LendingDesk::LendOutcome::Refused:
        Prompt::warning(this, out.message);
        return;
    case LendingDesk::LendOutcome::Failed:
        // What was lent stays lent; the queue keeps what is left.
        if (!out.refusalMessage().isEmpty())
            Prompt::warning(this, out.refusalMessage());
        Prompt::error(this, out.message);
        showQueue();
        return;
    case LendingDesk::LendOutcome::Lent:
        if (!out.refusalMessage().isEmpty())
            Prompt::warning(this, out.refusalMessage());
        Prompt::info(this, out.message);
        CleanData();
        return;
    }
}
