#include "ListEditUt.h"

#include "EditToolBar.h"
#include "Prompt.h"
#include "ResultGrid.h"
#include "admin/RowKey.h"
#include "db/Money.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString fieldText(const ListField &f, const QVariant &v)
{
    if (v.isNull())
        return QString();
    switch (f.kind) {
    case ListField::Kind::Money:
        return Money::fromVariant(v).toString();
    case ListField::Kind::Count:
        return QString::number(v.toLongLong());
    case ListField::Kind::Text:
        break;
    }
    return v.toString();
}

} // namespace

TListEditFm::TListEditFm(const ListSpec &setup, QWidget *parent)
    : QDialog(parent)
    , m_list(setup)
{
    setObjectName(setup.className);
    setWindowTitle(ListSpecs::caption(setup));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    m_toolBar = new EditToolBar(this);
    layout->addWidget(m_toolBar);

    auto *group = new QGroupBox(this);
    auto *form = new QFormLayout(group);
    for (const ListField &f : setup.fields) {
        auto *edit = new QLineEdit(group);
        edit->setObjectName(f.column);
        edit->setMinimumWidth(220);
        m_fields << edit;
        QWidget *fieldWidget = edit;
        if (!f.hint.isEmpty()) {
            fieldWidget = new QWidget(group);
            auto *row = new QHBoxLayout(fieldWidget);
            row->setContentsMargins(0, 0, 0, 0);
            row->addWidget(edit);
            row->addWidget(new QLabel(f.hint, fieldWidget));
        }
        if (f.label.isEmpty())
            form->addRow(fieldWidget);
        else
            form->addRow(f.label + QLatin1Char(':'), fieldWidget);
    }
    layout->addWidget(group);

    m_grid = new ResultGrid(this);
    QVector<ResultGrid::Column> columns;
    for (const QString &c : setup.gridColumns) {
        ResultGrid::Column col;
        col.field = c;
        col.caption = c; // the server reports unquoted names in lower case
        for (const ListField &f : setup.fields) {
            if (f.column == c && f.kind == ListField::Kind::Money)
                col.format = ResultGrid::Format::Money;
        }
        columns << col;
    }
    m_grid->setColumns(columns);
    m_grid->setKeyField(QString::fromUtf8(RowKey::Field));
    // Until the user sorts, the lines stay in the order the rows were added.
    m_grid->setNaturalOrder(QString::fromUtf8(RowKey::Field));
    m_grid->setSortingEnabled(setup.sortable);
    m_grid->view()->horizontalHeader()->setStretchLastSection(true);
    m_grid->view()->horizontalHeader()->setMinimumSectionSize(110);
    layout->addWidget(m_grid, 1);
    resize(setup.fields.size() > 1 ? 560 : 420, 460);

    m_toolBar->connectTo(this);
    connect(m_grid, &ResultGrid::currentRowChanged, this, [this] {
        if (m_mode == Mode::Browsing)
            showCurrentRow();
    });

    reload();
    setMode(Mode::Browsing);
}

void TListEditFm::showEvent(QShowEvent *event)
{
    // The a1..a3 lists are named by the settings of this login.
    setWindowTitle(ListSpecs::caption(m_list.setup()));
    QDialog::showEvent(event);
}

void TListEditFm::reload(const QString &selectRowKey)
{
    QString error;
    bool read = false;
    if (m_showsNewRow || m_grid->fieldNames().isEmpty()) {
        m_showsNewRow = false;
        read = m_grid->setStatement(m_list.selectStatement(), &error);
        if (read && !m_sortField.isEmpty())
            read = m_grid->sortBy(m_sortField, m_sortOrder, &error);
    } else {
        // A refresh keeps the current line where its row still exists.
        read = m_grid->refresh(&error);
    }
    if (!read) {
        Prompt::error(this, error);
        return;
    }
    if (!selectRowKey.isEmpty()) {
        const QString key = QString::fromUtf8(RowKey::Field);
        for (int row = 0; row < m_grid->rowCount(); ++row) {
            if (m_grid->value(row, key).toString() == selectRowKey) {
                m_grid->setCurrentRow(row);
                break;
            }
        }
    }
    showCurrentRow();
}

void TListEditFm::showNewRow()
{
    // The table as stored, read again (rows other windows added meanwhile), and the new row
    // as an empty line at its end. The user's sort comes back when the line is gone.
    const QHeaderView *header = m_grid->view()->horizontalHeader();
    const int sorted = header->sortIndicatorSection();
    const QStringList &columns = m_list.setup().gridColumns;
    m_sortField = sorted >= 0 && sorted < columns.size() ? columns[sorted] : QString();
    m_sortOrder = header->sortIndicatorOrder();
    m_showsNewRow = true;
    QString error;
    if (!m_grid->setStatement(m_list.selectStatement(true), &error)) {
        Prompt::error(this, error);
        return;
    }
    m_grid->setCurrentRow(m_grid->rowCount() - 1);
}

void TListEditFm::showCurrentRow()
{
    const QSqlRecord record = m_grid->currentRecord();
    const QVector<ListField> &fields = m_list.setup().fields;
    for (int i = 0; i < fields.size(); ++i)
        m_fields[i]->setText(fieldText(fields[i], record.value(fields[i].column)));
}

void TListEditFm::setMode(Mode mode)
{
    m_mode = mode;
    const bool browsing = mode == Mode::Browsing;
    m_toolBar->setBrowsing(browsing);
    const QVector<ListField> &fields = m_list.setup().fields;
    for (int i = 0; i < fields.size(); ++i)
        m_fields[i]->setEnabled(mode == Mode::Adding ||
                                (mode == Mode::Modifying && !fields[i].fixedOnModify));
    // While a row is edited the grid keeps its place, so that 保存 writes the row it showed.
    m_grid->setEnabled(browsing);
}

QStringList TListEditFm::fieldTexts() const
{
    QStringList out;
    for (QLineEdit *e : m_fields)
        out << e->text();
    return out;
}

void TListEditFm::reject()
{
    // Esc while a row is added or modified ends the editing, not the window: what was typed
    // is dropped only when the user says so.
    if (m_mode != Mode::Browsing) {
        if (fieldTexts() != m_textsAtEditStart &&
            !Prompt::ask(this, QStringLiteral("是否放弃正在编辑的内容?"), Prompt::Answer::No))
            return;
        cancelClicked();
        return;
    }
    QDialog::reject();
}

void TListEditFm::closeEvent(QCloseEvent *event)
{
    // 退出 and the frame's close button discard an unsaved row without asking.
    m_mode = Mode::Browsing;
    QDialog::closeEvent(event);
}

void TListEditFm::addClicked()
{
    m_keyBeforeAdd = m_grid->currentValue(QString::fromUtf8(RowKey::Field)).toString();
    setMode(Mode::Adding);
    for (QLineEdit *e : m_fields)
        e->clear();
    showNewRow();
    m_textsAtEditStart = fieldTexts();
    m_fields.first()->setFocus();
}

void TListEditFm::modifyClicked()
{
    m_editing = m_grid->currentRecord();
    if (m_grid->currentRow() < 0 || m_editing.isEmpty()) {
        Prompt::info(this, QStringLiteral("请先在列表中选中要修改的一行!"));
        return;
    }
    setMode(Mode::Modifying);
    m_textsAtEditStart = fieldTexts();
    // The grid is locked while a row is edited, so the focus cannot stay on it: it goes to
    // the first field that can change (the rent when a level's name is fixed).
    for (QLineEdit *e : m_fields) {
        if (e->isEnabled()) {
            e->setFocus();
            break;
        }
    }
}

void TListEditFm::saveClicked()
{
    if (m_mode == Mode::Modifying) {
        // A renamed category takes its readers along: the user decides with the count shown.
        QString error;
        const QString question = m_list.renameQuestion(m_editing, fieldTexts(), &error);
        if (!error.isEmpty()) {
            Prompt::warning(this, error);
            return;
        }
        if (!question.isEmpty() && !Prompt::ask(this, question, Prompt::Answer::Yes))
            return;
    }
    const ListTable::Result r = m_mode == Mode::Adding ? m_list.insert(fieldTexts())
                                                       : m_list.update(m_editing, fieldTexts());
    if (!r.ok) {
        Prompt::warning(this, r.message);
        if (r.message == ListTable::changedMeanwhileMessage()) {
            setMode(Mode::Browsing);
            reload();
        }
        return;
    }
    setMode(Mode::Browsing);
    reload(r.rowKey);
}

void TListEditFm::cancelClicked()
{
    const bool wasAdding = m_mode == Mode::Adding;
    setMode(Mode::Browsing);
    if (wasAdding) {
        // The new row's line disappears; the line that was current is current again.
        reload(m_keyBeforeAdd);
        return;
    }
    showCurrentRow();
}

void TListEditFm::deleteClicked()
{
    const QSqlRecord current = m_grid->currentRecord();
    const bool hasRow = m_grid->currentRow() >= 0 && !current.isEmpty();
    const QString refusal = m_list.deleteRefusal(hasRow ? &current : nullptr);
    if (!refusal.isEmpty()) {
        Prompt::info(this, refusal);
        return;
    }
    QString error;
    const QString question = m_list.deleteQuestion(current, &error);
    if (!error.isEmpty()) {
        Prompt::warning(this, error);
        return;
    }
    if (!Prompt::ask(this, question, Prompt::Answer::No))
        return;
    const ListTable::Result r = m_list.remove(current);
    if (!r.ok)
        Prompt::warning(this, r.message);
    reload();
}

TBkKindFm::TBkKindFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TBkKindFm")), parent)
{}

TBk2KindFm::TBk2KindFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TBk2KindFm")), parent)
{}

TPubFm::TPubFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TPubFm")), parent)
{}

TDepartMentFm::TDepartMentFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TDepartMentFm")), parent)
{}

TPlaceFm::TPlaceFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TPlaceFm")), parent)
{}

TPaperFm::TPaperFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TPaperFm")), parent)
{}

TMoneyKindFm::TMoneyKindFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TMoneyKindFm")), parent)
{}

Ta1Fm::Ta1Fm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("Ta1Fm")), parent)
{}

Ta2Fm::Ta2Fm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("Ta2Fm")), parent)
{}

Ta3Fm::Ta3Fm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("Ta3Fm")), parent)
{}

TRdKindFm::TRdKindFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TRdKindFm")), parent)
{}

TRentLevelFm::TRentLevelFm(QWidget *parent)
    : TListEditFm(*ListSpecs::byClass(QStringLiteral("TRentLevelFm")), parent)
{}
