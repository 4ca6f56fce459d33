#include "RdAddUt.h"

#include "Prompt.h"
#include "ReaderFields.h"
#include "ReaderPhotoView.h"
#include "db/LoginContext.h"
#include "readers/ReaderPhoto.h"
#include "readers/ReaderRegistration.h"

#include <QCheckBox>
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
const QString kCategory = QStringLiteral("类别");

} // namespace

TRdAddFm::TRdAddFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TRdAddFm"));
    setWindowTitle(QStringLiteral("读者添加"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *fields = new ReaderFields(this,
                                    {{QStringLiteral("CardId"), QStringLiteral("读者卡号")},
                                     {QStringLiteral("单位部门"), QStringLiteral("部门")}},
                                    {kNumber, kName, kCategory}, ReaderFields::ClassInput::Choice);
    m_fields.reset(fields);

    m_validUntil = new QDateEdit(this);
    m_validUntil->setObjectName(QStringLiteral("有效期"));
    m_validUntil->setCalendarPopup(true);
    m_validUntil->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_validUntil->setMinimumWidth(ReaderFields::inputWidth());
    auto *validCaption = new QLabel(QStringLiteral("有效期"), this);
    validCaption->setBuddy(m_validUntil);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnMinimumWidth(2, 70);
    auto place = [&](QLabel *label, QWidget *input, int row, int side) {
        grid->addWidget(label, row, side * 2);
        grid->addWidget(input, row, side * 2 + 1);
    };
    const QStringList left = {kNumber, QStringLiteral("CardId"), kName};
    int row = 0;
    for (const QString &column : left)
        place(fields->caption(column), fields->input(column), row++, 0);
    place(fields->pinyinCaption(), fields->pinyin(), row++, 0);
    for (const QString &column : {QStringLiteral("性别"), kCategory, QStringLiteral("单位部门")})
        place(fields->caption(column), fields->input(column), row++, 0);
    row = 0;
    for (const QString &column : {QStringLiteral("有效证件"), QStringLiteral("证件号码"),
                                  QStringLiteral("联系电话"), QStringLiteral("住址")})
        place(fields->caption(column), fields->input(column), row++, 1);
    place(validCaption, m_validUntil, row++, 1);
    for (const QString &column : {QStringLiteral("班级"), QStringLiteral("院系")})
        place(fields->caption(column), fields->input(column), row++, 1);
    const int remarksRow = qMax(row, 7);
    grid->addWidget(fields->caption(QStringLiteral("备注")), remarksRow, 0, Qt::AlignTop);
    grid->addWidget(fields->remarks(), remarksRow, 1, 1, 3);
    fields->remarks()->setFixedHeight(60);

    m_photo = new ReaderPhotoView(this);
    m_photo->setObjectName(QStringLiteral("照片"));
    m_photo->setMinimumSize(150, 190);
    auto *photoButton = new QPushButton(QStringLiteral("照片"), this);
    auto *photoColumn = new QVBoxLayout;
    photoColumn->addWidget(m_photo, 1);
    photoColumn->addWidget(photoButton);

    auto *top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addSpacing(8);
    top->addLayout(photoColumn);

    m_clearAfterSave = new QCheckBox(QStringLiteral("保存后清空数据"), this);
    m_clearAfterSave->setChecked(true);
    auto *hint = new QLabel(QStringLiteral("字体加重的项目必须填写"), this);
    hint->setEnabled(false);
    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *back = new QPushButton(QStringLiteral("返回"), this);
    save->setAutoDefault(false);
    back->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_clearAfterSave);
    buttons->addSpacing(12);
    buttons->addWidget(hint);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(back);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(photoButton, &QPushButton::clicked, this, &TRdAddFm::photoClicked);
    connect(save, &QPushButton::clicked, this, &TRdAddFm::saveClicked);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);

    // The lists are read once: the window starts afresh at every opening.
    fields->prepare(this);
    setInitialValues();
}

TRdAddFm::~TRdAddFm() = default;

QLineEdit *TRdAddFm::lineField(const QString &column) const
{
    return m_fields->line(column);
}

QComboBox *TRdAddFm::choiceField(const QString &column) const
{
    return m_fields->choice(column);
}

QLabel *TRdAddFm::caption(const QString &column) const
{
    return m_fields->caption(column);
}

QPlainTextEdit *TRdAddFm::remarksField() const
{
    return m_fields->remarks();
}

QLineEdit *TRdAddFm::pinyinField() const
{
    return m_fields->pinyin();
}

void TRdAddFm::setInitialValues()
{
    QMap<QString, QString> texts;
    texts.insert(QStringLiteral("性别"), ReaderRegistration::defaultSex());
    texts.insert(kCategory, ReaderRegistration::defaultCategory());
    m_fields->setTexts(texts);
    m_validUntil->setDate(ReaderRegistration::defaultValidUntil());
    // A photo left from the reader before would be saved with the next one.
    m_photo->setPhoto(QByteArray());
    lineField(kNumber)->setFocus();
}

ReaderRegistration::ReaderForm TRdAddFm::form() const
{
    ReaderRegistration::ReaderForm f;
    f.texts = m_fields->texts();
    f.validUntil = m_validUntil->date();
    f.photo = m_photo->photo();
    return f;
}

void TRdAddFm::photoClicked()
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
    m_photo->setPhoto(loaded.bytes);
}

void TRdAddFm::saveClicked()
{
    const ReaderRegistration::Result r = ReaderRegistration::add(form());
    if (!r.ok) {
        Prompt::warning(this, r.message);
        if (QWidget *input = m_fields->input(r.column))
            input->setFocus();
        return;
    }
    emit saved();
    Prompt::info(this, ReaderRegistration::savedMessage());
    if (m_clearAfterSave->isChecked())
        setInitialValues();
}
