#include "PeriodicalFields.h"

#include "catalogue/PeriodicalIntake.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

constexpr int kPerRow = 3;

} // namespace

PeriodicalFields::PeriodicalFields(QWidget *owner, const QVector<Field> &fields)
{
    m_layout = new QGridLayout;
    for (int c = 0; c < kPerRow; ++c)
        m_layout->setColumnStretch(c * 2 + 1, 1);
    int placed = 0;
    for (const Field &f : fields) {
        QWidget *input = nullptr;
        switch (f.kind) {
        case Kind::Line:
        case Kind::Pinyin: {
            auto *edit = new QLineEdit(owner);
            if (f.kind == Kind::Pinyin) {
                edit->setReadOnly(true);
                edit->setFocusPolicy(Qt::NoFocus);
            }
            m_lines.insert(f.column, edit);
            input = edit;
            break;
        }
        case Kind::Choice: {
            auto *box = new QComboBox(owner);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            m_choices.insert(f.column, box);
            input = box;
            break;
        }
        case Kind::Date: {
            auto *edit = new QDateEdit(QDate::currentDate(), owner);
            edit->setCalendarPopup(true);
            edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
            m_dates.insert(f.column, edit);
            input = edit;
            break;
        }
        case Kind::Summary:
            m_summary = new QPlainTextEdit(owner);
            m_summary->setTabChangesFocus(true);
            m_summary->setFixedHeight(64);
            input = m_summary;
            break;
        }
        input->setObjectName(f.column);
        input->setMinimumWidth(150);
        auto *label = new QLabel(f.caption, owner);
        label->setBuddy(input);
        if (f.required) {
            QFont font = label->font();
            font.setBold(true);
            label->setFont(font);
        }
        if (f.kind == Kind::Summary) {
            // Across the whole width, below the other fields.
            const int row = (placed + kPerRow - 1) / kPerRow;
            m_layout->addWidget(label, row, 0, Qt::AlignTop);
            m_layout->addWidget(input, row, 1, 1, kPerRow * 2 - 1);
            continue;
        }
        m_layout->addWidget(label, placed / kPerRow, placed % kPerRow * 2);
        m_layout->addWidget(input, placed / kPerRow, placed % kPerRow * 2 + 1);
        ++placed;
    }
}

QString PeriodicalFields::text(const QString &column) const
{
    if (QLineEdit *edit = m_lines.value(column))
        return edit->text();
    if (QComboBox *box = m_choices.value(column))
        return box->currentText();
    if (m_summary && m_summary->objectName() == column)
        return m_summary->toPlainText();
    return QString();
}

void PeriodicalFields::setText(const QString &column, const QString &text)
{
    if (QLineEdit *edit = m_lines.value(column))
        edit->setText(text);
    else if (QComboBox *box = m_choices.value(column))
        box->setCurrentText(text);
    else if (m_summary && m_summary->objectName() == column)
        m_summary->setPlainText(text);
}

QMap<QString, QString> PeriodicalFields::texts() const
{
    QMap<QString, QString> out;
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it)
        out.insert(it.key(), it.value()->text());
    for (auto it = m_choices.cbegin(); it != m_choices.cend(); ++it)
        out.insert(it.key(), it.value()->currentText());
    if (m_summary)
        out.insert(m_summary->objectName(), m_summary->toPlainText());
    return out;
}

void PeriodicalFields::fillChoices(const QMap<QString, QStringList> &lists)
{
    QMap<QString, QStringList> all = lists;
    all.insert(QStringLiteral("状态"), PeriodicalIntake::states());
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        QComboBox *box = m_choices.value(it.key());
        if (!box)
            continue;
        const QString typed = box->currentText();
        box->clear();
        box->addItems(it.value());
        box->setCurrentText(typed);
    }
}
