#include "BkEditUt.h"

#include "DecimalValidator.h"
#include "Prompt.h"
#include "StockModifyUt.h"
#include "app/DesktopPrograms.h"
#include "catalogue/BookEdit.h"
#include "catalogue/CallNumber.h"
#include "catalogue/PublisherLookup.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("名称");
const QString kSummary = QStringLiteral("简介");
const QString kBarcode = QStringLiteral("条形码");
const QString kClassNumber = QStringLiteral("分类号");
const QString kCallNumber = QStringLiteral("索书号");
const QString kZch = QStringLiteral("zch");
const QString kPrice = QStringLiteral("价格");
const QString kPages = QStringLiteral("页数");
const QString kIsbn = QStringLiteral("isbn");
const QString kPublisher = QStringLiteral("出版社");
const QString kSource = QStringLiteral("来源");
const QString kDonor = QStringLiteral("捐赠人");
const QString kDocument = QStringLiteral("绝对地址");
const QString kState = QStringLiteral("状态");
const QString kQuantity = QStringLiteral("数量");

// An intake date that is NULL shows blank: the earliest date stands for "none".
const QDate kNoDate(1900, 1, 1);

// The drop-downs: filled from a reference list, or with fixed choices (状态, 来源).
const QStringList &choiceColumns()
{
    static const QStringList columns = {
        kPublisher,
        QStringLiteral("分类"),
        QStringLiteral("二级分类"),
        QStringLiteral("存放位置"),
        QStringLiteral("币种"),
        QStringLiteral("附件"),
        QStringLiteral("a1"),
        kState,
        QStringLiteral("物品级别"),
        kSource,
        QStringLiteral("a2"),
        QStringLiteral("a3"),
    };
    return columns;
}

QString shownText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate)
        return dateFromSql(value).toString(QStringLiteral("yyyy-MM-dd"));
    return value.toString();
}

} // namespace

TBkEditFm::TBkEditFm(const QSqlRecord &book, QWidget *parent)
    : QDialog(parent)
    , m_book(book)
{
    setObjectName(QStringLiteral("TBkEditFm"));
    setWindowTitle(QStringLiteral("图书编辑"));
    setAttribute(Qt::WA_DeleteOnClose);
    const LoginContext &login = loginContext();

    auto caption = [this](const QString &column, const QString &text) {
        auto *label = new QLabel(text, this);
        m_captions.insert(column, label);
        return label;
    };
    auto line = [this](const QString &column) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(column);
        m_lines.insert(column, edit);
        return edit;
    };
    auto choice = [this](const QString &column) {
        auto *box = new QComboBox(this);
        box->setObjectName(column);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        m_choices.insert(column, box);
        return box;
    };
    auto multiLine = [this](const QString &column) {
        auto *edit = new QPlainTextEdit(this);
        edit->setObjectName(column);
        edit->setTabChangesFocus(true);
        m_texts.insert(column, edit);
        return edit;
    };

    // Column of 图书 -> caption, in the order of the three columns of the window.
    const QList<QList<std::pair<QString, QString>>> sides = {
        {{kTitle, QStringLiteral("书名")},
         {QStringLiteral("编号"), QStringLiteral("图书编号")},
         {kBarcode, QStringLiteral("条形码")},
         {kIsbn, QStringLiteral("ISBN")},
         {kPublisher, QStringLiteral("出版社")},
         {QStringLiteral("分类"), QStringLiteral("分类")},
         {QStringLiteral("二级分类"), QStringLiteral("二级分类")},
         {QStringLiteral("存放位置"), QStringLiteral("存放位置")},
         {kPages, QStringLiteral("页数")},
         {kPrice, QStringLiteral("价格")}},
        {{QStringLiteral("作者"), QStringLiteral("作者")},
         {QStringLiteral("译者"), QStringLiteral("译者")},
         {kClassNumber, QStringLiteral("分类号")},
         {kCallNumber, QStringLiteral("索书号")},
         {kZch, QStringLiteral("种次号")},
         {kQuantity, QStringLiteral("数量(库存)")},
         {QStringLiteral("币种"), QStringLiteral("币种")},
         {QStringLiteral("版次"), QStringLiteral("版次")},
         {QStringLiteral("附件"), QStringLiteral("附件")},
         {QStringLiteral("a1"), login.customListLabel1}},
        {{QStringLiteral("出版时间"), QStringLiteral("出版时间")},
         {QStringLiteral("入库时间"), QStringLiteral("入库时间")},
         {kDocument, QStringLiteral("电子文档")},
         {kState, QStringLiteral("状态")},
         {QStringLiteral("物品级别"), QStringLiteral("物品级别")},
         {QStringLiteral("py"), QStringLiteral("拼音")},
         {kSource, QStringLiteral("来源")},
         {kDonor, QStringLiteral("捐赠人")},
         {QStringLiteral("a2"), login.customListLabel2},
         {QStringLiteral("a3"), login.customListLabel3}},
    };

    auto *stockButton = new QPushButton(QStringLiteral("修改"), this);
    auto *runButton = new QPushButton(QStringLiteral("Run"), this);
    // Narrow buttons leave the document path and the count their room.
    stockButton->setFixedWidth(56);
    runButton->setFixedWidth(56);
    auto *grid = new QGridLayout;
    for (int side = 0; side < sides.size(); ++side) {
        grid->setColumnStretch(side * 3 + 1, 1);
        if (side > 0)
            grid->setColumnMinimumWidth(side * 3 - 1, 12);
        int row = 0;
        for (const auto &[column, text] : sides[side]) {
            QWidget *input = nullptr;
            if (column == kTitle) {
                input = multiLine(column);
                input->setFixedHeight(48);
            } else if (column == QStringLiteral("入库时间")) {
                m_intake = new QDateEdit(this);
                m_intake->setObjectName(column);
                m_intake->setCalendarPopup(true);
                m_intake->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
                m_intake->setMinimumDate(kNoDate);
                m_intake->setSpecialValueText(QStringLiteral(" "));
                input = m_intake;
            } else if (column == kQuantity) {
                m_quantity = new QLineEdit(this);
                m_quantity->setObjectName(column);
                m_quantity->setReadOnly(true);
                m_quantity->setFocusPolicy(Qt::NoFocus);
                auto *box = new QWidget(this);
                auto *h = new QHBoxLayout(box);
                h->setContentsMargins(0, 0, 0, 0);
                h->addWidget(m_quantity, 1);
                h->addWidget(stockButton);
                input = box;
            } else if (column == QStringLiteral("py")) {
                m_pinyin = new QLineEdit(this);
                m_pinyin->setObjectName(column);
                m_pinyin->setReadOnly(true);
                m_pinyin->setFocusPolicy(Qt::NoFocus);
                input = m_pinyin;
            } else if (column == kDocument) {
                QLineEdit *edit = line(column);
                // The path comes from the file dialog that a click into the field opens.
                edit->setReadOnly(true);
                edit->setCursor(Qt::PointingHandCursor);
                edit->installEventFilter(this);
                auto *box = new QWidget(this);
                auto *h = new QHBoxLayout(box);
                h->setContentsMargins(0, 0, 0, 0);
                h->addWidget(edit, 1);
                h->addWidget(runButton);
                input = box;
            } else if (choiceColumns().contains(column)) {
                input = choice(column);
            } else {
                input = line(column);
            }
            input->setMinimumWidth(170);
            QLabel *label = caption(column, text);
            grid->addWidget(label, row, side * 3,
                            column == kTitle ? Qt::AlignTop : Qt::Alignment());
            grid->addWidget(input, row, side * 3 + 1);
            ++row;
        }
    }
    m_donorCaption = m_captions.value(kDonor);
    const int summaryRow = sides.first().size();
    grid->addWidget(caption(kSummary, QStringLiteral("简介")), summaryRow, 0, Qt::AlignTop);
    QPlainTextEdit *summary = multiLine(kSummary);
    summary->setFixedHeight(70);
    grid->addWidget(summary, summaryRow, 1, 1, 7);

    auto *priceValidator = new DecimalValidator(this);
    m_lines.value(kPrice)->setValidator(priceValidator);
    m_lines.value(kZch)->setValidator(new DecimalValidator(this));

    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    // Enter belongs to the 条形码 and 分类号 fields, not to a button.
    for (QPushButton *b : {stockButton, runButton, save, cancel})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_lines.value(kBarcode), &QLineEdit::returnPressed, this, &TBkEditFm::barcodeEntered);
    connect(m_lines.value(kClassNumber), &QLineEdit::returnPressed, this,
            &TBkEditFm::classificationEntered);
    connect(m_choices.value(kSource), &QComboBox::currentTextChanged, this,
            &TBkEditFm::sourceChanged);
    connect(m_texts.value(kTitle), &QPlainTextEdit::textChanged, this, [this] {
        m_pinyin->setText(BookEdit::pinyinOf(m_texts.value(kTitle)->toPlainText()));
    });
    connect(runButton, &QPushButton::clicked, this, &TBkEditFm::runDocument);
    connect(stockButton, &QPushButton::clicked, this, &TBkEditFm::modifyStockClicked);
    connect(save, &QPushButton::clicked, this, &TBkEditFm::saveClicked);
    // 取消 and the close box alike leave the book as stored.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    QString error;
    const QMap<QString, QStringList> lists = BookEdit::loadPickLists(&error);
    for (auto it = lists.cbegin(); it != lists.cend(); ++it) {
        if (QComboBox *box = m_choices.value(it.key()))
            box->addItems(it.value());
    }
    m_choices.value(kState)->addItems(BookEdit::states());
    m_choices.value(kSource)->addItems(BookEdit::sources());
    if (!error.isEmpty())
        Prompt::error(this, QStringLiteral("读取下拉列表失败:\n") + error);
    showRecord();
}

void TBkEditFm::showRecord()
{
    for (const QString &column : BookEdit::textColumns()) {
        const QString text = column == kPrice && !m_book.value(column).isNull()
                                 ? Money::fromVariant(m_book.value(column)).toString()
                                 : shownText(m_book.value(column));
        if (QLineEdit *edit = m_lines.value(column))
            edit->setText(text);
        else if (QComboBox *box = m_choices.value(column))
            box->setCurrentText(text);
        else if (QPlainTextEdit *edit = m_texts.value(column))
            edit->setPlainText(text);
    }
    m_lines.value(kDocument)->setToolTip(m_lines.value(kDocument)->text());
    const QDate intake = dateFromSql(m_book.value(QStringLiteral("入库时间")));
    m_intake->setDate(intake.isValid() ? intake : kNoDate);
    const QVariant quantity = m_book.value(kQuantity);
    m_quantity->setText(quantity.isNull() ? QString() : QString::number(quantity.toLongLong()));
    // The stored initials are shown until the title is changed.
    m_pinyin->setText(m_book.value(QStringLiteral("py")).toString());
    sourceChanged(m_choices.value(kSource)->currentText());
}

QMap<QString, QString> TBkEditFm::typedTexts() const
{
    QMap<QString, QString> texts;
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it)
        texts.insert(it.key(), it.value()->text());
    for (auto it = m_choices.cbegin(); it != m_choices.cend(); ++it)
        texts.insert(it.key(), it.value()->currentText());
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it)
        texts.insert(it.key(), it.value()->toPlainText());
    return texts;
}

void TBkEditFm::barcodeEntered()
{
    const PublisherLookup::Publisher p = PublisherLookup::find(m_lines.value(kBarcode)->text());
    if (!p.error.isEmpty()) {
        Prompt::error(this, QStringLiteral("查找出版社失败:\n") + p.error);
        return;
    }
    if (!p.found)
        return;
    m_lines.value(kIsbn)->setText(p.isbn);
    m_choices.value(kPublisher)->setCurrentText(p.name);
}

void TBkEditFm::classificationEntered()
{
    const CallNumber::Result r = CallNumber::next(m_lines.value(kClassNumber)->text());
    if (!r.ok) {
        if (!r.error.isEmpty())
            Prompt::error(this, QStringLiteral("生成索书号失败:\n") + r.error);
        return;
    }
    m_lines.value(kCallNumber)->setText(r.callNumber);
    m_lines.value(kZch)->setText(QString::number(r.zch));
}

void TBkEditFm::sourceChanged(const QString &source)
{
    const bool donated = BookEdit::isDonation(source);
    m_donorCaption->setVisible(donated);
    m_lines.value(kDonor)->setVisible(donated);
    if (!donated)
        m_lines.value(kDonor)->clear();
}

bool TBkEditFm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lines.value(kDocument) && event->type() == QEvent::MouseButtonRelease) {
        chooseDocument();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TBkEditFm::chooseDocument()
{
    const QString path =
        Prompt::openFileName(this, QStringLiteral("选择电子文档"), QStringLiteral("所有文件 (*)"));
    if (!path.isEmpty()) {
        m_lines.value(kDocument)->setText(path);
        m_lines.value(kDocument)->setToolTip(path);
    }
}

void TBkEditFm::runDocument()
{
    const DesktopPrograms::Launch launch =
        DesktopPrograms::document(m_lines.value(kDocument)->text());
    if (launch.program.isEmpty())
        Prompt::warning(this, launch.message);
    else if (!QProcess::startDetached(launch.program, launch.arguments))
        Prompt::warning(this, launch.failedMessage);
}

void TBkEditFm::modifyStockClicked()
{
    if (!loginContext().qxModifyStock) {
        Prompt::warning(this, BookEdit::noPermissionMessage());
        return;
    }
    auto *stock = new TStockModifyFm(m_book, this);
    stock->setAttribute(Qt::WA_DeleteOnClose, false);
    // The count is written at once; what is typed here stays for 保存 or 取消.
    if (stock->exec() == QDialog::Accepted) {
        m_book.setValue(kQuantity, stock->quantity());
        m_quantity->setText(QString::number(stock->quantity()));
        emit saved();
    }
    delete stock;
}

void TBkEditFm::saveClicked()
{
    BookEdit::BookForm form;
    form.texts = typedTexts();
    form.intake = m_intake->date() == kNoDate ? QDate() : m_intake->date();
    const BookEdit::Result r = BookEdit::update(m_book, form);
    if (!r.ok) {
        Prompt::warning(this, r.message);
        if (QWidget *input = m_lines.value(r.column))
            input->setFocus();
        return;
    }
    if (r.written)
        emit saved();
    accept();
}
