#include "ReaderFields.h"

#include "Prompt.h"
#include "db/LoginContext.h"
#include "readers/ReaderRegistration.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <utility>

namespace {

const QString kRemarks = QStringLiteral("备注");
const QString kName = QStringLiteral("读者姓名");
// Wide enough for an address or a date with its drop-down button.
constexpr int kInputWidth = 170;

QComboBox *editableChoice(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

} // namespace

ReaderFields::ReaderFields(QWidget *parent, const QMap<QString, QString> &captions,
                           const QStringList &required, ClassInput classInput)
{
    QStringList choiceColumns = {QStringLiteral("性别"), QStringLiteral("类别"),
                                 QStringLiteral("单位部门"), QStringLiteral("有效证件")};
    if (classInput == ClassInput::Choice)
        choiceColumns << QStringLiteral("班级") << QStringLiteral("院系");

    for (const QString &column : ReaderRegistration::textColumns()) {
        auto *label = new QLabel(captions.value(column, column), parent);
        if (required.contains(column)) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
        }
        m_captions.insert(column, label);
        QWidget *input = nullptr;
        if (column == kRemarks) {
            m_remarks = new QPlainTextEdit(parent);
            m_remarks->setTabChangesFocus(true);
            input = m_remarks;
        } else if (choiceColumns.contains(column)) {
            QComboBox *box = editableChoice(parent);
            m_choices.insert(column, box);
            input = box;
        } else {
            auto *edit = new QLineEdit(parent);
            m_lines.insert(column, edit);
            input = edit;
        }
        input->setObjectName(column);
        input->setMinimumWidth(kInputWidth);
        label->setBuddy(input);
    }
    choice(QStringLiteral("性别"))->addItems(ReaderRegistration::sexes());

    m_pinyinCaption = new QLabel(QStringLiteral("拼音"), parent);
    m_pinyin = new QLineEdit(parent);
    m_pinyin->setObjectName(QStringLiteral("py"));
    m_pinyin->setReadOnly(true);
    m_pinyin->setFocusPolicy(Qt::NoFocus);
    m_pinyin->setMinimumWidth(kInputWidth);
    QLineEdit *name = line(kName);
    QLineEdit *pinyin = m_pinyin;
    QObject::connect(name, &QLineEdit::textChanged, pinyin, [pinyin](const QString &text) {
        pinyin->setText(ReaderRegistration::pinyinOf(text));
    });
}

QWidget *ReaderFields::input(const QString &column) const
{
    if (column == kRemarks)
        return m_remarks;
    if (QLineEdit *edit = m_lines.value(column))
        return edit;
    return m_choices.value(column);
}

void ReaderFields::fillLists(const ReaderRegistration::PickLists &lists)
{
    for (const auto &[column, items] :
         {std::pair{QStringLiteral("类别"), lists.categories},
          std::pair{QStringLiteral("单位部门"), lists.departments},
          std::pair{QStringLiteral("有效证件"), lists.documentKinds}}) {
        QComboBox *box = choice(column);
        const QString text = box->currentText();
        box->clear();
        box->addItems(items);
        box->setCurrentText(text);
    }
}

void ReaderFields::prepare(QWidget *messageParent)
{
    showClassAndFaculty(loginContext().showClass, loginContext().showFaculty);
    QString error;
    fillLists(ReaderRegistration::loadPickLists(&error));
    if (!error.isEmpty())
        Prompt::error(messageParent, QStringLiteral("读取下拉列表失败:\n") + error);
}

void ReaderFields::showClassAndFaculty(bool showClass, bool showFaculty)
{
    for (const auto &[column, shown] : {std::pair{QStringLiteral("班级"), showClass},
                                        std::pair{QStringLiteral("院系"), showFaculty}}) {
        caption(column)->setVisible(shown);
        input(column)->setVisible(shown);
    }
}

void ReaderFields::setTexts(const QMap<QString, QString> &texts)
{
    for (const QString &column : ReaderRegistration::textColumns()) {
        const QString text = texts.value(column);
        if (column == kRemarks)
            m_remarks->setPlainText(text);
        else if (QLineEdit *edit = line(column))
            edit->setText(text);
        else
            choice(column)->setCurrentText(text);
    }
    m_pinyin->setText(ReaderRegistration::pinyinOf(texts.value(kName)));
}

QMap<QString, QString> ReaderFields::texts() const
{
    QMap<QString, QString> out;
    for (const QString &column : ReaderRegistration::textColumns()) {
        if (column == kRemarks)
            out.insert(column, m_remarks->toPlainText());
        else if (QLineEdit *edit = line(column))
            out.insert(column, edit->text());
        else
            out.insert(column, choice(column)->currentText());
    }
    return out;
}

int ReaderFields::inputWidth()
{
    return kInputWidth;
}
