#include "BkAddUt.h"

#include "DecimalValidator.h"
#include "MyNetTmUt.h"
#include "Prompt.h"
#include "ReportPreview.h"
#include "catalogue/CallNumber.h"
#include "catalogue/PublisherLookup.h"
#include "db/LoginContext.h"
#include "text/Pinyin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kNumber = QStringLiteral("编号");
const QString kTitle = QStringLiteral("名称");
const QString kBarcode = QStringLiteral("条形码");
const QString kClassification = QStringLiteral("分类号");
const QString kCallNumber = QStringLiteral("索书号");
const QString kZch = QStringLiteral("zch");
const QString kSummary = QStringLiteral("简介");
const QString kSource = QStringLiteral("来源");
const QString kDonor = QStringLiteral("捐赠人");

QLabel *captionFor(QWidget *parent, const QString &text, QWidget *buddy, bool required = false)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    if (required) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

} // namespace

TBkAddFm::TBkAddFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBkAddFm"));
    setWindowTitle(QStringLiteral("添加图书---字体加重的项必须填写"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_title = new QPlainTextEdit(this);
    m_title->setObjectName(kTitle);
    m_title->setFixedHeight(46);
    m_summary = new QPlainTextEdit(this);
    m_summary->setObjectName(kSummary);
    m_summary->setFixedHeight(60);
    m_published = new QDateEdit(QDate::currentDate(), this);
    m_published->setObjectName(QStringLiteral("出版时间"));
    m_published->setCalendarPopup(true);
    m_published->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_document = new QLineEdit(this);
    m_document->setObjectName(QStringLiteral("电子文档"));
    m_document->installEventFilter(this);

    auto *grid = new QGridLayout;
    for (int c : {1, 3, 5})
        grid->setColumnStretch(c, 1);
    auto place = [&](const QString &caption, QWidget *input, int row, int side,
                     bool required = false) {
        QLabel *label = captionFor(this, caption, input, required);
        grid->addWidget(label, row, side * 2);
        grid->addWidget(input, row, side * 2 + 1);
        return label;
    };

    place(QStringLiteral("书名"), m_title, 0, 0, true);
    grid->removeWidget(m_title);
    grid->addWidget(m_title, 0, 1, 1, 5);

    // The barcode with the online lookup button beside it.
    QLineEdit *barcode = addLine(kBarcode);
    m_lookup = new QPushButton(QStringLiteral("ok"), this);
    m_lookup->setObjectName(QStringLiteral("ok"));
    m_lookup->setAutoDefault(false);
    m_lookup->setFixedWidth(m_lookup->fontMetrics().horizontalAdvance(QStringLiteral("ok")) + 16);
    m_lookup->setToolTip(QStringLiteral("联网录入: 按条形码从网上书目取得图书资料"));
    auto *barcodeBox = new QWidget(this);
    auto *barcodeRow = new QHBoxLayout(barcodeBox);
    barcodeRow->setContentsMargins(0, 0, 0, 0);
    barcodeRow->addWidget(barcode, 1);
    barcodeRow->addWidget(m_lookup);

    int row = 1;
    place(QStringLiteral("图书编号"), addLine(kNumber), row, 0, true);
    place(QStringLiteral("条形码"), barcodeBox, row, 1, true)->setBuddy(barcode);
    place(QStringLiteral("分类号"), addLine(kClassification), row++, 2);
    place(QStringLiteral("索书号"), addLine(kCallNumber), row, 0);
    place(QStringLiteral("出版社"), addChoice(QStringLiteral("出版社")), row, 1);
    place(QStringLiteral("种次号"), addLine(kZch), row++, 2);
    place(QStringLiteral("分类"), addChoice(QStringLiteral("分类")), row, 0);
    place(QStringLiteral("ISBN"), addLine(QStringLiteral("isbn")), row, 1);
    place(QStringLiteral("二级分类"), addChoice(QStringLiteral("二级分类")), row++, 2);
    place(QStringLiteral("出版时间"), m_published, row, 0);
    place(QStringLiteral("存放位置"), addChoice(QStringLiteral("存放位置")), row, 1);
    place(loginContext().customListLabel1, addChoice(QStringLiteral("a1")), row++, 2);
    place(QStringLiteral("数量"), addLine(QStringLiteral("数量")), row, 0, true);
    place(QStringLiteral("页数"), addLine(QStringLiteral("页数")), row, 1);
    place(QStringLiteral("附件"), addChoice(QStringLiteral("附件")), row++, 2);
    place(QStringLiteral("作者"), addLine(QStringLiteral("作者")), row, 0);
    place(QStringLiteral("版次"), addLine(QStringLiteral("版次")), row, 1);
    place(QStringLiteral("译者"), addLine(QStringLiteral("译者")), row++, 2);
    place(QStringLiteral("电子文档"), m_document, row, 0);
    place(QStringLiteral("价格"), addLine(QStringLiteral("价格")), row, 1);
    place(QStringLiteral("状态"), addChoice(QStringLiteral("状态")), row++, 2);
    place(QStringLiteral("拼音"), addLine(QStringLiteral("py")), row, 0);
    place(QStringLiteral("物品级别"), addChoice(QStringLiteral("物品级别")), row, 1);
    place(QStringLiteral("来源"), addChoice(kSource), row++, 2);
    place(QStringLiteral("币种"), addChoice(QStringLiteral("币种")), row, 0);
    m_donorCaption = place(QStringLiteral("捐赠人"), addLine(kDonor), row, 1);
    row++;
    place(loginContext().customListLabel2, addChoice(QStringLiteral("a2")), row, 0);
    place(loginContext().customListLabel3, addChoice(QStringLiteral("a3")), row++, 1);
    place(QStringLiteral("简介"), m_summary, row, 0);
    grid->removeWidget(m_summary);
    grid->addWidget(m_summary, row, 1, 1, 5);

    m_lines.value(QStringLiteral("py"))->setReadOnly(true);
    for (const QString &column : {kZch, QStringLiteral("数量")})
        m_lines.value(column)->setValidator(new DecimalValidator(true, m_lines.value(column)));
    m_lines.value(QStringLiteral("价格"))
        ->setValidator(new DecimalValidator(m_lines.value(QStringLiteral("价格"))));
    m_lines.value(kNumber)->installEventFilter(this);

    // The check boxes and the copies.
    m_clearAfterSave = new QCheckBox(QStringLiteral("保存后清空数据"), this);
    m_clearAfterSave->setChecked(true);
    m_autoNumber = new QCheckBox(QStringLiteral("自动编号"), this);
    m_printLabel = new QCheckBox(QStringLiteral("打印标签"), this);
    m_multiCopy = new QCheckBox(QStringLiteral("录入多册(数量)"), this);
    m_copies = new QLineEdit(this);
    m_copies->setObjectName(QStringLiteral("册数"));
    m_copies->setValidator(new DecimalValidator(true, m_copies));
    m_copies->setMaximumWidth(60);
    m_separator = new QLineEdit(QStringLiteral("."), this);
    m_separator->setObjectName(QStringLiteral("间隔字符"));
    m_separator->setMaximumWidth(40);
    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    save->setAutoDefault(false);
    close->setAutoDefault(false);
    auto *options = new QHBoxLayout;
    for (QWidget *w :
         {static_cast<QWidget *>(m_clearAfterSave), static_cast<QWidget *>(m_autoNumber),
          static_cast<QWidget *>(m_printLabel), static_cast<QWidget *>(m_multiCopy)})
        options->addWidget(w);
    options->addWidget(m_copies);
    options->addWidget(captionFor(this, QStringLiteral("间隔字符"), m_separator));
    options->addWidget(m_separator);
    options->addStretch();
    options->addWidget(save);
    options->addWidget(close);

    m_numberingGroup = new QGroupBox(QStringLiteral("自动编号--先输入前缀再输入起始值"), this);
    m_numberingGroup->setObjectName(QStringLiteral("自动编号组"));
    m_prefix = new QLineEdit(QStringLiteral("A"), m_numberingGroup);
    m_prefix->setObjectName(QStringLiteral("前缀"));
    m_start = new QLineEdit(QStringLiteral("1"), m_numberingGroup);
    m_start->setObjectName(QStringLiteral("起始值"));
    m_start->setValidator(new DecimalValidator(m_start));
    auto *useNumbering = new QPushButton(QStringLiteral("使用自动编号"), m_numberingGroup);
    useNumbering->setAutoDefault(false);
    auto *numberingRow = new QHBoxLayout(m_numberingGroup);
    numberingRow->addWidget(captionFor(this, QStringLiteral("前缀"), m_prefix));
    numberingRow->addWidget(m_prefix);
    numberingRow->addWidget(captionFor(this, QStringLiteral("起始值"), m_start));
    numberingRow->addWidget(m_start);
    numberingRow->addWidget(useNumbering);
    numberingRow->addStretch();
    m_numberingGroup->setVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_numberingGroup);
    layout->addLayout(options);

    connect(m_title, &QPlainTextEdit::textChanged, this,
            [this] { setText(QStringLiteral("py"), PinyinInitials(m_title->toPlainText())); });
    connect(barcode, &QLineEdit::returnPressed, this, &TBkAddFm::barcodeEntered);
    connect(m_lines.value(kClassification), &QLineEdit::returnPressed, this,
            &TBkAddFm::generateCallNumber);
    connect(m_choices.value(kSource), &QComboBox::currentTextChanged, this,
            &TBkAddFm::sourceChanged);
    connect(m_autoNumber, &QCheckBox::toggled, m_numberingGroup, &QWidget::setVisible);
    connect(useNumbering, &QPushButton::clicked, this, &TBkAddFm::useNumberingClicked);
    connect(save, &QPushButton::clicked, this, &TBkAddFm::saveClicked);
    connect(m_lookup, &QPushButton::clicked, this, &TBkAddFm::openLookup);
    // However this window ends, the online lookup ends with it.
    connect(this, &QDialog::finished, this, [this] {
        if (m_lookupWindow)
            m_lookupWindow->close();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    fillLists();
    initialData();
}

QLineEdit *TBkAddFm::addLine(const QString &column)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(column);
    m_lines.insert(column, edit);
    return edit;
}

QComboBox *TBkAddFm::addChoice(const QString &column)
{
    auto *box = new QComboBox(this);
    box->setObjectName(column);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    m_choices.insert(column, box);
    return box;
}

// The lists are read once, when the window opens.
void TBkAddFm::fillLists()
{
    QString error;
    const BookIntake::PickLists l = BookIntake::loadPickLists(&error);
    if (!error.isEmpty())
        Prompt::error(this, QStringLiteral("读取下拉列表失败:\n") + error);
    const QList<QPair<QString, QStringList>> lists = {
        {QStringLiteral("分类"), l.classes},
        {QStringLiteral("二级分类"), l.subClasses},
        {QStringLiteral("出版社"), l.publishers},
        {QStringLiteral("存放位置"), l.locations},
        {QStringLiteral("币种"), l.currencies},
        {QStringLiteral("附件"), l.attachments},
        {QStringLiteral("物品级别"), l.levels},
        {QStringLiteral("a1"), l.a1},
        {QStringLiteral("a2"), l.a2},
        {QStringLiteral("a3"), l.a3},
        {QStringLiteral("状态"), BookIntake::states()},
        {kSource, BookIntake::sources()}};
    for (const auto &list : lists) {
        QComboBox *box = m_choices.value(list.first);
        box->clear();
        box->addItems(list.second);
    }
}

void TBkAddFm::initialData()
{
    const QMap<QString, QString> texts = BookIntake::initialTexts();
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        if (it.key() != kNumber)
            setText(it.key(), it.value());
    }
    m_title->clear();
    m_summary->clear();
    m_document->setText(BookIntake::noneText());
    sourceChanged(text(kSource));
    m_lines.value(kNumber)->setFocus();
}

QString TBkAddFm::text(const QString &column) const
{
    if (column == kTitle)
        return m_title->toPlainText();
    if (column == kSummary)
        return m_summary->toPlainText();
    if (QLineEdit *e = m_lines.value(column))
        return e->text();
    if (QComboBox *b = m_choices.value(column))
        return b->currentText();
    return QString();
}

void TBkAddFm::setText(const QString &column, const QString &value)
{
    if (column == kTitle)
        m_title->setPlainText(value);
    else if (column == kSummary)
        m_summary->setPlainText(value);
    else if (QLineEdit *e = m_lines.value(column))
        e->setText(value);
    else if (QComboBox *b = m_choices.value(column))
        b->setCurrentText(value);
}

BookIntake::BookForm TBkAddFm::form() const
{
    BookIntake::BookForm f;
    f.texts.insert(kNumber, text(kNumber));
    f.texts.insert(kTitle, text(kTitle));
    for (const QString &column : BookIntake::textColumns())
        f.texts.insert(column, text(column));
    f.documentPath = m_document->text();
    f.published = m_published->date();
    return f;
}

bool TBkAddFm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_lines.value(kNumber)) {
            // After the press has placed the cursor: the whole number is selected.
            QTimer::singleShot(0, m_lines.value(kNumber), &QLineEdit::selectAll);
        } else if (watched == m_document) {
            QTimer::singleShot(0, this, &TBkAddFm::chooseDocument);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TBkAddFm::chooseDocument()
{
    const QString path =
        Prompt::openFileName(this, QStringLiteral("选择电子文档"), QStringLiteral("所有文件 (*)"));
    if (!path.isEmpty())
        m_document->setText(path);
}

void TBkAddFm::openLookup()
{
    if (!m_lookupWindow) {
        m_lookupWindow = new TMyNetTmFm(this);
        const QRect frame = frameGeometry();
        m_lookupWindow->move(frame.right() + 1, frame.top());
    }
    m_lookupWindow->show();
    m_lookupWindow->raise();
    m_lookupWindow->activateWindow();
}

void TBkAddFm::takeLookup(const QString &title, const QString &classification,
                          const QString &author, const QString &publisher, const QString &barcode,
                          const QString &summary)
{
    setText(kTitle, title);
    setText(kClassification, classification);
    setText(QStringLiteral("作者"), author);
    setText(QStringLiteral("出版社"), publisher);
    setText(kBarcode, barcode);
    setText(kSummary, summary);
}

void TBkAddFm::findPublisher()
{
    const PublisherLookup::Publisher p = PublisherLookup::find(text(kBarcode));
    if (!p.error.isEmpty()) {
        Prompt::error(this, p.error);
        return;
    }
    if (!p.found)
        return;
    setText(QStringLiteral("isbn"), p.isbn);
    setText(QStringLiteral("出版社"), p.name);
}

void TBkAddFm::barcodeEntered()
{
    findPublisher();
    // A hint only: the same barcode may be saved again.
    if (loginContext().barcodeDuplicateWarning && BookIntake::barcodeTaken(text(kBarcode)))
        Prompt::info(this, BookIntake::duplicateBarcodeMessage());
}

void TBkAddFm::generateCallNumber()
{
    const CallNumber::Result r = CallNumber::next(text(kClassification).trimmed());
    if (!r.error.isEmpty()) {
        Prompt::error(this, r.error);
        return;
    }
    if (!r.ok)
        return;
    setText(kCallNumber, r.callNumber);
    setText(kZch, QString::number(r.zch));
}

void TBkAddFm::sourceChanged(const QString &source)
{
    const bool donated = source.trimmed() == BookIntake::donationSource();
    m_donorCaption->setVisible(donated);
    m_lines.value(kDonor)->setVisible(donated);
    if (!donated)
        m_lines.value(kDonor)->clear();
}

void TBkAddFm::useNumberingClicked()
{
    if (!m_numbering.start(m_prefix->text(), m_start->text())) {
        Prompt::warning(this, BookIntake::startNotWholeMessage());
        m_start->setFocus();
        return;
    }
    setText(kNumber, m_numbering.prefix + m_start->text().trimmed());
}

void TBkAddFm::afterRow(const BookIntake::Result &result)
{
    if (!result.ok) {
        Prompt::warning(this, result.message);
        return;
    }
    if (!m_printLabel->isChecked())
        return;
    // The label shows the window's fields as they are now.
    ReportPreview::show(
        this, BookIntake::labelReport({text(kNumber).trimmed(), text(kCallNumber).trimmed(),
                                       text(kClassification).trimmed(), text(kTitle).trimmed(),
                                       text(kBarcode).trimmed()}));
}

void TBkAddFm::saveClicked()
{
    QString separator = m_separator->text().trimmed();
    if (separator.isEmpty())
        separator = QStringLiteral(".");
    m_separator->setText(separator);

    int count = 0;
    if (m_multiCopy->isChecked()) {
        const QString copies = m_copies->text().trimmed();
        if (copies.isEmpty()) {
            Prompt::warning(this, BookIntake::countMissingMessage());
            m_copies->setFocus();
            return;
        }
        const std::optional<int> n = BookIntake::wholeNumber(copies);
        if (!n) {
            Prompt::warning(this, BookIntake::countNotWholeMessage());
            m_copies->setFocus();
            return;
        }
        count = *n;
    }
    const BookIntake::BookForm f = form();
    if (!BookIntake::requiredFilled(f)) {
        QApplication::beep();
        Prompt::warning(this, BookIntake::requiredMessage());
        return;
    }

    bool written = false;
    if (!m_multiCopy->isChecked()) {
        const BookIntake::Result r = BookIntake::add(f, text(kNumber));
        written = r.ok;
        afterRow(r);
    } else {
        BookIntake::addCopies(f, count, separator, [&](const BookIntake::Result &r) {
            if (r.zch > 0) {
                setText(kCallNumber, r.callNumber);
                setText(kZch, QString::number(r.zch));
            }
            written = written || r.ok;
            afterRow(r);
        });
    }
    if (written)
        emit saved();
    Prompt::info(this, BookIntake::savedMessage());
    if (m_clearAfterSave->isChecked())
        initialData();
    if (m_autoNumber->isChecked())
        setText(kNumber, m_numbering.advance());
}
