#include "BorrowOptUt.h"

#include "Prompt.h"
#include "ResultGrid.h"
#include "circulation/BorrowPickers.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The two search fields, the grid and the two buttons that the reader and the item picker
// share. Enter in a field runs its search; nothing else reacts to Enter.
struct PickerLayout {
    QLineEdit *name = nullptr;
    QLineEdit *number = nullptr;
    ResultGrid *grid = nullptr;
    QPushButton *choose = nullptr;
    QPushButton *back = nullptr;
};

PickerLayout buildPicker(QDialog *dialog, const QString &nameCaption, const QString &numberCaption)
{
    dialog->setWindowTitle(QStringLiteral("选择"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // No close box: the picker is left by choosing or by 返回.
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    PickerLayout p;
    auto *fields = new QHBoxLayout;
    auto addField = [dialog, fields](const QString &caption) {
        auto *label = new QLabel(caption, dialog);
        auto *edit = new QLineEdit(dialog);
        label->setBuddy(edit);
        fields->addWidget(label);
        fields->addWidget(edit, 1);
        return edit;
    };
    p.name = addField(nameCaption);
    fields->addSpacing(12);
    p.number = addField(numberCaption);

    p.grid = new ResultGrid(dialog);

    p.choose = new QPushButton(QStringLiteral("选择(&S)"), dialog);
    p.back = new QPushButton(QStringLiteral("返回(&R)"), dialog);
    for (QPushButton *b : {p.choose, p.back})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(p.choose);
    buttons->addWidget(p.back);

    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(fields);
    layout->addWidget(p.grid, 1);
    layout->addLayout(buttons);
    dialog->resize(780, 460);
    QObject::connect(p.back, &QPushButton::clicked, dialog, &QDialog::reject);
    return p;
}

void showRows(QWidget *window, ResultGrid *grid, const Statement &statement)
{
    QString error;
    if (!grid->setStatement(statement, &error))
        Prompt::warning(window, error);
}

QVector<ResultGrid::Column> columnsOf(const QStringList &fields)
{
    QVector<ResultGrid::Column> out;
    for (const QString &f : fields) {
        ResultGrid::Column c;
        c.field = f;
        if (f == QStringLiteral("登记日期") || f == QStringLiteral("有效期"))
            c.format = ResultGrid::Format::Date;
        else if (f == QStringLiteral("卡内金额"))
            c.format = ResultGrid::Format::Money;
        out << c;
    }
    return out;
}

} // namespace

TBorrowOptRdFm::TBorrowOptRdFm(std::function<void(const QString &)> choose, QWidget *parent)
    : QDialog(parent)
    , m_callback(std::move(choose))
{
    setObjectName(QStringLiteral("TBorrowOptRdFm"));
    const PickerLayout p =
        buildPicker(this, QStringLiteral("姓名或者首拼(&N):"), QStringLiteral("读者编号(&B):"));
    m_name = p.name;
    m_number = p.number;
    m_grid = p.grid;
    m_choose = p.choose;
    m_grid->setColumns(columnsOf(BorrowPickers::readerColumns()));

    connect(m_name, &QLineEdit::returnPressed, this,
            [this] { showRows(this, m_grid, BorrowPickers::readersByName(m_name->text())); });
    connect(m_number, &QLineEdit::returnPressed, this,
            [this] { showRows(this, m_grid, BorrowPickers::readersByNumber(m_number->text())); });
    connect(m_choose, &QPushButton::clicked, this, &TBorrowOptRdFm::chooseCurrent);
    connect(m_grid, &ResultGrid::rowActivated, this, &TBorrowOptRdFm::chooseCurrent);

    showRows(this, m_grid, BorrowPickers::readerFirstList());
    m_name->setFocus();
}

void TBorrowOptRdFm::chooseCurrent()
{
    // An empty grid hands over the empty text: the lookup then says that nothing was found.
    const QString number = m_grid->currentValue(QStringLiteral("读者编号")).toString();
    if (m_callback)
        m_callback(number);
    accept();
}

TBorrowOptBkFm::TBorrowOptBkFm(const QString &kind, bool byBarcode,
                               std::function<void(const QString &)> choose, QWidget *parent)
    : QDialog(parent)
    , m_kind(kind)
    , m_byBarcode(byBarcode)
    , m_callback(std::move(choose))
{
    setObjectName(QStringLiteral("TBorrowOptBkFm"));
    const PickerLayout p =
        buildPicker(this, QStringLiteral("名称或者首拼(&N):"), QStringLiteral("编号(&B):"));
    m_name = p.name;
    m_number = p.number;
    m_grid = p.grid;
    m_choose = p.choose;
    m_grid->setColumns(columnsOf(BorrowPickers::itemColumns()));

    auto run = [this](const BorrowPickers::ItemQuery &q) {
        if (q.ok)
            showRows(this, m_grid, q.statement);
        else
            Prompt::warning(this, q.message);
    };
    connect(m_name, &QLineEdit::returnPressed, this,
            [this, run] { run(BorrowPickers::itemsByName(m_kind, m_name->text())); });
    connect(m_number, &QLineEdit::returnPressed, this,
            [this, run] { run(BorrowPickers::itemsByNumber(m_kind, m_number->text())); });
    connect(m_choose, &QPushButton::clicked, this, &TBorrowOptBkFm::chooseCurrent);
    connect(m_grid, &ResultGrid::rowActivated, this, &TBorrowOptBkFm::chooseCurrent);

    const BorrowPickers::ItemQuery first = BorrowPickers::itemFirstList(m_kind);
    if (first.ok)
        showRows(this, m_grid, first.statement);
    else
        m_openMessage = first.message; // said once the window is up
    m_name->setFocus();
}

void TBorrowOptBkFm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_openMessage.isEmpty()) {
        const QString message = m_openMessage;
        m_openMessage.clear();
        QTimer::singleShot(0, this, [this, message] { Prompt::warning(this, message); });
    }
}

void TBorrowOptBkFm::chooseCurrent()
{
    const QString value = BorrowPickers::chosenItemValue(
        m_grid->currentValue(QStringLiteral("编号")).toString(),
        m_grid->currentValue(QStringLiteral("条形码")).toString(), m_byBarcode);
    if (m_callback)
        m_callback(value);
    accept();
}

TBorrowOptBarCodeFm::TBorrowOptBarCodeFm(const QVector<QSqlRecord> &rows, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBorrowOptBarCodeFm"));
    setWindowTitle(QStringLiteral("选择"));

    const QStringList fields = BorrowPickers::itemColumns();
    m_table = new QTableWidget(rows.size(), fields.size(), this);
    m_table->setHorizontalHeaderLabels(fields);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < fields.size(); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(rows[r].value(fields[c]).toString()));
    }
    m_table->resizeColumnsToContents();
    if (!rows.isEmpty())
        m_table->setCurrentCell(0, 0);

    auto *choose = new QPushButton(QStringLiteral("选择(&S)"), this);
    choose->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("找到多条记录, 请点击要借的一条:"), this));
    buttons->addStretch();
    buttons->addWidget(choose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(640, 300);

    // One click chooses: the clicked row is current by then.
    connect(m_table, &QTableWidget::cellClicked, this, &QDialog::accept);
    connect(choose, &QPushButton::clicked, this, &QDialog::accept);
}

int TBorrowOptBarCodeFm::chosenRow() const
{
    const int row = m_table->currentRow();
    return row < 0 ? 0 : row;
}
