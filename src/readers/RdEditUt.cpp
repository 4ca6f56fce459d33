#include "RdEditUt.h"

#include "Prompt.h"
#include "RdEditPicUt.h"
#include "ReaderFields.h"
#include "ReaderPhotoView.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "readers/ReaderPhoto.h"
#include "readers/ReaderRegistration.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kNumber = QStringLiteral("读者编号");
const QString kName = QStringLiteral("读者姓名");
const QString kLoans = QStringLiteral("累计借阅次数");
const QString kState = QStringLiteral("状态");
const QString kBalance = QStringLiteral("卡内金额");

// A date column that may be NULL: the earliest date stands for "none" and shows blank.
const QDate kNoDate(1900, 1, 1);

QDateEdit *dateField(QWidget *parent, const QString &column)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(column);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setMinimumDate(kNoDate);
    edit->setSpecialValueText(QStringLiteral(" "));
    edit->setMinimumWidth(ReaderFields::inputWidth());
    return edit;
}

QDate dateOf(const QDateEdit *edit)
{
    return edit->date() == kNoDate ? QDate() : edit->date();
}

} // namespace

TRdEditFm::TRdEditFm(const QSqlRecord &reader, QWidget *parent)
    : QDialog(parent)
    , m_reader(reader)
{
    setObjectName(QStringLiteral("TRdEditFm"));
    setWindowTitle(QStringLiteral("读者编辑"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *fields = new ReaderFields(this,
                                    {{kNumber, QStringLiteral("编号")},
                                     {kName, QStringLiteral("姓名")},
                                     {QStringLiteral("CardId"), QStringLiteral("读者卡号")},
                                     {QStringLiteral("单位部门"), QStringLiteral("部门")}},
                                    {}, ReaderFields::ClassInput::Text);
    m_fields.reset(fields);
    m_registered = dateField(this, QStringLiteral("登记日期"));
    m_validUntil = dateField(this, QStringLiteral("有效期"));
    for (const QString &column : {kLoans, kState, kBalance}) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(column);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setMinimumWidth(ReaderFields::inputWidth());
        m_readOnly.insert(column, edit);
    }

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnMinimumWidth(2, 70);
    auto place = [&](QWidget *label, QWidget *input, int row, int side) {
        grid->addWidget(label, row, side * 2);
        grid->addWidget(input, row, side * 2 + 1);
    };
    auto label = [this](const QString &text) { return new QLabel(text, this); };
    int row = 0;
    for (const QString &column : {kNumber, QStringLiteral("CardId"), kName})
        place(fields->caption(column), fields->input(column), row++, 0);
    place(fields->pinyinCaption(), fields->pinyin(), row++, 0);
    for (const QString &column :
         {QStringLiteral("性别"), QStringLiteral("类别"), QStringLiteral("单位部门"),
          QStringLiteral("班级"), QStringLiteral("院系")})
        place(fields->caption(column), fields->input(column), row++, 0);
    const int leftRows = row;
    row = 0;
    for (const QString &column : {QStringLiteral("有效证件"), QStringLiteral("证件号码"),
                                  QStringLiteral("联系电话"), QStringLiteral("住址")})
        place(fields->caption(column), fields->input(column), row++, 1);
    place(label(QStringLiteral("登记日期")), m_registered, row++, 1);
    place(label(QStringLiteral("有效期")), m_validUntil, row++, 1);
    place(label(QStringLiteral("借阅次数")), m_readOnly.value(kLoans), row++, 1);
    place(label(QStringLiteral("状态")), m_readOnly.value(kState), row++, 1);
    place(label(QStringLiteral("卡内金额")), m_readOnly.value(kBalance), row++, 1);
    const int remarksRow = qMax(row, leftRows);
    grid->addWidget(fields->caption(QStringLiteral("备注")), remarksRow, 0, Qt::AlignTop);
    grid->addWidget(fields->remarks(), remarksRow, 1, 1, 3);
    fields->remarks()->setFixedHeight(60);

    m_photo = new ReaderPhotoView(this);
    m_photo->setObjectName(QStringLiteral("照片"));
    m_photo->setMinimumSize(150, 190);
    auto *enlarge = new QPushButton(QStringLiteral("放大"), this);
    auto *changePhoto = new QPushButton(QStringLiteral("更改照片"), this);
    auto *photoButtons = new QHBoxLayout;
    photoButtons->addWidget(enlarge);
    photoButtons->addWidget(changePhoto);
    auto *photoColumn = new QVBoxLayout;
    photoColumn->addWidget(m_photo, 1);
    photoColumn->addLayout(photoButtons);

    auto *top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addSpacing(8);
    top->addLayout(photoColumn);

    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    for (QPushButton *b : {enlarge, changePhoto, save, cancel})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(enlarge, &QPushButton::clicked, this, &TRdEditFm::enlargeClicked);
    connect(changePhoto, &QPushButton::clicked, this, &TRdEditFm::changePhotoClicked);
    connect(save, &QPushButton::clicked, this, &TRdEditFm::saveClicked);
    // 取消 and the close box alike leave the reader as stored, the photo too.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The lists are read once: the window starts afresh at every opening.
    fields->prepare(this);
    showRecord();
}

TRdEditFm::~TRdEditFm() = default;

QLineEdit *TRdEditFm::lineField(const QString &column) const
{
    return m_fields->line(column);
}

QComboBox *TRdEditFm::choiceField(const QString &column) const
{
    return m_fields->choice(column);
}

QPlainTextEdit *TRdEditFm::remarksField() const
{
    return m_fields->remarks();
}

QLineEdit *TRdEditFm::pinyinField() const
{
    return m_fields->pinyin();
}

QLineEdit *TRdEditFm::readOnlyField(const QString &column) const
{
    return m_readOnly.value(column);
}

void TRdEditFm::showRecord()
{
    QMap<QString, QString> texts;
    for (const QString &column : ReaderRegistration::textColumns())
        texts.insert(column, m_reader.value(column).toString());
    m_fields->setTexts(texts);
    const QDate registered = dateFromSql(m_reader.value(QStringLiteral("登记日期")));
    const QDate validUntil = dateFromSql(m_reader.value(QStringLiteral("有效期")));
    m_registered->setDate(registered.isValid() ? registered : kNoDate);
    m_validUntil->setDate(validUntil.isValid() ? validUntil : kNoDate);
    m_readOnly.value(kLoans)->setText(QString::number(m_reader.value(kLoans).toLongLong()));
    m_readOnly.value(kState)->setText(m_reader.value(kState).toString());
    m_readOnly.value(kBalance)->setText(Money::fromVariant(m_reader.value(kBalance)).toFixed2());
    m_photo->setPhoto(m_reader.value(QStringLiteral("pic")).toByteArray());
    m_photoChanged = false;
}

void TRdEditFm::changePhotoClicked()
{
    const QString path =
        Prompt::openFileName(this, ReaderPhoto::dialogCaption(), ReaderPhoto::fileFilter());
    if (path.isEmpty())
        return;
    const ReaderPhoto::Loaded loaded = ReaderPhoto::fromFile(path);
    if (!loaded.ok) {
        Prompt::warning(this, loaded.message);
        return;
    }
    // Kept in the window until 保存; 取消 drops it.
    m_photo->setPhoto(loaded.bytes);
    m_photoChanged = true;
}

void TRdEditFm::enlargeClicked()
{
    auto *viewer = new TRdEditPicFm(m_photo->photo(), this);
    viewer->open();
}

void TRdEditFm::saveClicked()
{
    ReaderRegistration::ReaderForm form;
    form.texts = m_fields->texts();
    form.registered = dateOf(m_registered);
    form.validUntil = dateOf(m_validUntil);
    form.photo = m_photo->photo();
    const ReaderRegistration::Result r = ReaderRegistration::update(m_reader, form, m_photoChanged);
    if (!r.ok) {
        Prompt::warning(this, r.message);
        if (QWidget *input = m_fields->input(r.column))
            input->setFocus();
        return;
    }
    if (r.written)
        emit saved();
    accept();
}
