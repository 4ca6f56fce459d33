#include "ResultGrid.h"

#include "GridFooter.h"
#include "GridView.h"
#include "Prompt.h"
#include "ResultGridModel.h"
#include "grid/GridQuery.h"
#include "grid/GridRows.h"
#include "grid/GridTotals.h"

#include <QFutureWatcher>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

class ResultGrid::Private : public QObject {
public:
    explicit Private(ResultGrid *q)
        : QObject(q)
        , q(q)
    {}

    ResultGrid *q;
    GridView *view = nullptr;
    ResultGridModel *model = nullptr;
    GridFooter *footer = nullptr;
    GridQuery query;
    GridRows rows;
    QVector<Column> columns;
    bool columnsSet = false;
    QString keyField;
    bool sorting = true;
    bool filtering = true;
    int lastCurrent = -1;
    // The footer sums are read on a worker thread (GridTotals) after the first rows show.
    // Each new result counts up the generation; a computation started for an older one is
    // dropped when it ends, so a late result never lands on a newer footer.
    quint64 generation = 0;
    QFuture<GridTotals::Result> pendingTotals; // of the current generation, while running

    void startTotals();
    void applyTotals(const GridTotals::Result &result);
    void waitForTotals();
    QString footerTextNow(const QString &field) const;

    QStringList sumFields() const;
    QVector<ResultGridModel::Column> modelColumns() const;
    void showRows(int currentRow);
    void fitColumnWidths();
    void updateFooter();
    void updateFilterTitles();
    bool applyQueryChange(QString *error);
    void headerClicked(int section);
    void headerMenu(const QPoint &pos);
    void emitCurrentIfChanged();
    int fieldIndex(const QString &field) const;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

QStringList ResultGrid::Private::sumFields() const
{
    QStringList fields;
    for (const Column &c : columns) {
        if (c.footer == Footer::Sum || c.footer == Footer::SumWhole)
            fields.append(c.field);
    }
    return fields;
}

int ResultGrid::Private::fieldIndex(const QString &field) const
{
    const QSqlRecord &layout = rows.layout();
    for (int i = 0; i < layout.count(); ++i) {
        if (layout.fieldName(i) == field)
            return i;
    }
    for (int i = 0; i < layout.count(); ++i) {
        if (layout.fieldName(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVector<ResultGridModel::Column> ResultGrid::Private::modelColumns() const
{
    QVector<ResultGridModel::Column> out;
    QVector<bool> listed(rows.layout().count(), false);
    if (columnsSet) {
        for (const Column &c : columns) {
            const int index = fieldIndex(c.field);
            if (index < 0)
                continue; // a listed column the result does not have is left out
            listed[index] = true;
            ResultGridModel::Column mc{c, index, QString()};
            mc.setup.field = rows.layout().fieldName(index);
            out.append(mc);
        }
    }
    // Fields nobody listed stay loaded: shown when no columns were set, hidden otherwise.
    for (int i = 0; i < listed.size(); ++i) {
        if (listed[i])
            continue;
        Column c;
        c.field = rows.layout().fieldName(i);
        c.visible = !columnsSet;
        out.append({c, i, QString()});
    }
    return out;
}

void ResultGrid::Private::startTotals()
{
    ++generation;
    pendingTotals = QFuture<GridTotals::Result>();
    if (!rows.isOpen() || rows.sumsKnown())
        return;
    pendingTotals = GridTotals::start(query.totals(rows.sumFields()), int(rows.sumFields().size()));
    // The watcher belongs to this grid: when the grid goes first, the worker still finishes on
    // its own connection and its result goes nowhere.
    auto *watcher = new QFutureWatcher<GridTotals::Result>(this);
    const quint64 started = generation;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, started] {
        watcher->deleteLater();
        if (started == generation && !rows.sumsKnown() && watcher->future().resultCount() > 0)
            applyTotals(watcher->result());
    });
    watcher->setFuture(pendingTotals);
}

void ResultGrid::Private::applyTotals(const GridTotals::Result &result)
{
    pendingTotals = QFuture<GridTotals::Result>();
    if (!result.ok)
        qWarning("ResultGrid: the footer sums could not be read: %s", qPrintable(result.error));
    rows.setSums(result.ok ? result.sums : QVariantList());
    updateFooter();
    // The sums may need more room than the columns were given while they were pending.
    QFont bold = view->font();
    bold.setBold(true);
    const QFontMetrics footerFm(bold);
    QHeaderView *header = view->horizontalHeader();
    const QStringList texts = footer->texts();
    for (int c = 0; c < texts.size() && c < header->count(); ++c) {
        const int wanted = qMin(footerFm.horizontalAdvance(texts[c]) + 12, 320);
        if (!texts[c].isEmpty() && !header->isSectionHidden(c) && header->sectionSize(c) < wanted)
            header->resizeSection(c, wanted);
    }
}

void ResultGrid::Private::waitForTotals()
{
    if (!rows.isOpen() || rows.sumsKnown() || !pendingTotals.isValid())
        return;
    pendingTotals.waitForFinished();
    if (pendingTotals.resultCount() > 0)
        applyTotals(pendingTotals.result());
}

void ResultGrid::Private::showRows(int currentRow)
{
    startTotals();
    const QVector<ResultGridModel::Column> cols =
        rows.isOpen() ? modelColumns() : QVector<ResultGridModel::Column>();
    model->reset(rows.isOpen() ? &rows : nullptr, cols);
    for (int i = 0; i < cols.size(); ++i)
        view->setColumnHidden(i, !cols[i].setup.visible);
    updateFilterTitles();
    updateFooter();
    QHeaderView *header = view->horizontalHeader();
    const int sortColumn = model->columnOfField(query.sortField());
    if (sorting && rows.isOpen() && sortColumn >= 0)
        header->setSortIndicator(sortColumn, query.sortOrder());
    else
        header->setSortIndicator(-1, Qt::AscendingOrder);
    const int count = model->rowCount();
    // New rows: the current row is announced even when its number stays the same.
    lastCurrent = -2;
    q->setCurrentRow(count == 0 ? -1 : qBound(0, currentRow, count - 1));
    emitCurrentIfChanged();
}

// Widths from the titles and the rows already loaded (the first page), so that a large
// result costs nothing more; the user's own widths are kept until the next statement.
void ResultGrid::Private::fitColumnWidths()
{
    const QFontMetrics fm(view->font());
    const QFontMetrics titleFm(view->horizontalHeader()->font());
    // The footer draws its sums in bold, 4 pixels in from either side.
    QFont bold = view->font();
    bold.setBold(true);
    const QFontMetrics footerFm(bold);
    const int rowsToMeasure = qMin(model->rowCount(), GridRows::kPageSize);
    const QVector<ResultGridModel::Column> &cols = model->columns();
    for (int c = 0; c < cols.size(); ++c) {
        if (!cols[c].setup.visible)
            continue;
        int width = titleFm.horizontalAdvance(
                        model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                    24; // room for the sort arrow
        for (int r = 0; r < rowsToMeasure; ++r)
            width = qMax(width, fm.horizontalAdvance(model->index(r, c).data().toString()) + 12);
        width = qMax(width, footerFm.horizontalAdvance(footer->texts().value(c)) + 12);
        view->horizontalHeader()->resizeSection(c, qBound(48, width, 320));
    }
}

void ResultGrid::Private::updateFooter()
{
    const QVector<ResultGridModel::Column> &cols = model->columns();
    QStringList texts;
    bool any = false;
    for (const ResultGridModel::Column &c : cols) {
        texts.append(footerTextNow(c.setup.field));
        any = any || c.setup.footer != Footer::None;
    }
    footer->setTexts(texts);
    view->setFooterVisible(any || (!rows.isOpen() && !sumFields().isEmpty()));
}

void ResultGrid::Private::updateFilterTitles()
{
    const QVector<ResultGridModel::Column> &cols = model->columns();
    for (int i = 0; i < cols.size(); ++i) {
        const GridQuery::Filter *f = query.filterOf(cols[i].setup.field);
        QString text;
        if (f && f->kind == GridQuery::FilterKind::Contains)
            text = QStringLiteral("包含“%1”").arg(f->value.toString());
        else if (f && f->value.isNull())
            text = QStringLiteral("为空");
        else if (f)
            text = QStringLiteral("等于“%1”")
                       .arg(CellText::format(f->value,
                                             ResultGridModel::cellFormat(cols[i].setup.format)));
        if (cols[i].filterText != text)
            model->setFilterText(i, text);
    }
}

bool ResultGrid::Private::applyQueryChange(QString *error)
{
    QString message;
    if (!rows.reload(&message)) {
        rows.clear();
        showRows(-1);
        if (error)
            *error = message;
        return false;
    }
    showRows(0);
    return true;
}

void ResultGrid::Private::emitCurrentIfChanged()
{
    const int row = q->currentRow();
    if (row != lastCurrent) {
        lastCurrent = row;
        emit q->currentRowChanged(row);
    }
}

void ResultGrid::Private::headerClicked(int section)
{
    if (!sorting || !rows.isOpen() || section < 0 || section >= model->columns().size())
        return;
    const QString field = model->columns()[section].setup.field;
    const Qt::SortOrder order =
        query.sortField() == field && query.sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder;
    QString error;
    if (!q->sortBy(field, order, &error))
        Prompt::error(q, error);
}

void ResultGrid::Private::headerMenu(const QPoint &pos)
{
    QHeaderView *header = view->horizontalHeader();
    const int section = header->logicalIndexAt(pos);
    if (!rows.isOpen() || section < 0 || section >= model->columns().size())
        return;
    const ResultGridModel::Column column = model->columns()[section];
    const QString field = column.setup.field;
    const QString caption = column.setup.caption.isEmpty() ? field : column.setup.caption;
    QMenu menu(q);
    if (sorting) {
        menu.addAction(QStringLiteral("按“%1”升序排列").arg(caption), q, [this, field] {
            QString error;
            if (!q->sortBy(field, Qt::AscendingOrder, &error))
                Prompt::error(q, error);
        });
        menu.addAction(QStringLiteral("按“%1”降序排列").arg(caption), q, [this, field] {
            QString error;
            if (!q->sortBy(field, Qt::DescendingOrder, &error))
                Prompt::error(q, error);
        });
    }
    if (filtering) {
        if (!menu.isEmpty())
            menu.addSeparator();
        QMenu *values = menu.addMenu(QStringLiteral("筛选：等于"));
        const CellFormat format = ResultGridModel::cellFormat(column.setup.format);
        const QVariantList choices = q->filterValues(field, 50);
        for (const QVariant &v : choices) {
            const QString text =
                v.isNull() ? QStringLiteral("（空）") : CellText::format(v, format);
            values->addAction(text.isEmpty() ? QStringLiteral("（空白）") : text, q,
                              [this, field, v] {
                                  QString error;
                                  if (!q->setColumnFilter(field, v, &error))
                                      Prompt::error(q, error);
                              });
        }
        values->setEnabled(!choices.isEmpty());
        menu.addAction(QStringLiteral("筛选：包含文字…"), q, [this, field, caption] {
            bool ok = false;
            const GridQuery::Filter *f = query.filterOf(field);
            const QString previous =
                f && f->kind == GridQuery::FilterKind::Contains ? f->value.toString() : QString();
            const QString text = QInputDialog::getText(q, QStringLiteral("筛选"),
                                                       QStringLiteral("“%1”包含:").arg(caption),
                                                       QLineEdit::Normal, previous, &ok);
            if (!ok)
                return;
            QString error;
            if (text.isEmpty())
                q->clearColumnFilter(field);
            else if (!q->setColumnFilterContains(field, text, &error))
                Prompt::error(q, error);
        });
        QAction *clearOne = menu.addAction(QStringLiteral("取消本列筛选"), q,
                                           [this, field] { q->clearColumnFilter(field); });
        clearOne->setEnabled(query.filterOf(field) != nullptr);
        QAction *clearAll =
            menu.addAction(QStringLiteral("取消全部筛选"), q, [this] { q->clearFilters(); });
        clearAll->setEnabled(!query.filters().isEmpty());
    }
    if (!menu.isEmpty())
        menu.exec(header->mapToGlobal(pos));
}

bool ResultGrid::Private::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && q->currentRow() >= 0) {
            emit q->rowActivated(q->currentRow());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

ResultGrid::ResultGrid(QWidget *parent)
    : QWidget(parent)
    , d(new Private(this))
{
    d->view = new GridView(this);
    d->model = new ResultGridModel(this);
    d->view->setModel(d->model);
    d->view->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->view->setSelectionMode(QAbstractItemView::SingleSelection);
    d->view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    d->view->setAlternatingRowColors(true);
    d->view->setWordWrap(false);
    d->view->verticalHeader()->setDefaultSectionSize(d->view->fontMetrics().height() + 8);
    d->view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    d->view->verticalHeader()->hide();
    QHeaderView *header = d->view->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setHighlightSections(false);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    header->setDefaultSectionSize(100);
    d->footer = d->view->footer();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(d->view);

    connect(header, &QHeaderView::sectionClicked, d, [this](int s) { d->headerClicked(s); });
    connect(header, &QHeaderView::customContextMenuRequested, d,
            [this](const QPoint &pos) { d->headerMenu(pos); });
    connect(d->view->selectionModel(), &QItemSelectionModel::currentRowChanged, d,
            [this] { d->emitCurrentIfChanged(); });
    connect(d->view, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit rowActivated(index.row());
    });
    d->view->installEventFilter(d);
}

ResultGrid::~ResultGrid() = default;

void ResultGrid::setColumns(const QVector<Column> &columns)
{
    d->columns = columns;
    d->columnsSet = true;
    if (d->rows.isOpen()) {
        // New footers need new sums: read them again with the same statement.
        refresh();
    }
}

void ResultGrid::setKeyField(const QString &field)
{
    d->keyField = field;
    d->query.setTieBreaker(field);
}

void ResultGrid::setNaturalOrder(const QString &field)
{
    d->query.setNaturalOrder(field);
}

void ResultGrid::setSortingEnabled(bool enabled)
{
    d->sorting = enabled;
    d->view->horizontalHeader()->setSortIndicatorShown(enabled);
}

void ResultGrid::setFilterEnabled(bool enabled)
{
    d->filtering = enabled;
}

bool ResultGrid::setStatement(const Statement &statement, QString *error)
{
    d->query.setBase(statement);
    d->query.setTieBreaker(d->keyField);
    QString message;
    if (!d->rows.open(&d->query, d->sumFields(), &message, GridRows::Sums::Later)) {
        d->showRows(-1);
        if (error)
            *error = message;
        return false;
    }
    d->showRows(0);
    d->fitColumnWidths();
    return true;
}

bool ResultGrid::refresh(QString *error)
{
    if (!d->query.hasBase()) {
        clear();
        return true;
    }
    const int oldRow = currentRow();
    const QVariant key = d->keyField.isEmpty() ? QVariant() : currentValue(d->keyField);
    QString message;
    // The fields are read again (a table may have changed meanwhile); the sort and the
    // filters stay while their columns exist.
    if (!d->rows.open(&d->query, d->sumFields(), &message, GridRows::Sums::Later)) {
        d->showRows(-1);
        if (error)
            *error = message;
        return false;
    }
    int row = oldRow;
    const int keyIndex = d->fieldIndex(d->keyField);
    if (!key.isNull() && keyIndex >= 0 && oldRow >= 0) {
        d->rows.value(oldRow, keyIndex); // loads the page where the row was
        const qint64 found = d->rows.findLoaded(keyIndex, key);
        if (found >= 0)
            row = int(found);
    }
    d->showRows(row);
    return true;
}

void ResultGrid::clear()
{
    d->query.setBase(Statement());
    d->rows.clear();
    d->showRows(-1);
}

int ResultGrid::rowCount() const
{
    return d->model->rowCount();
}

int ResultGrid::currentRow() const
{
    const QModelIndex index = d->view->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void ResultGrid::setCurrentRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        d->view->setCurrentIndex(QModelIndex());
        d->view->clearSelection();
        d->emitCurrentIfChanged();
        return;
    }
    int column = 0;
    const QHeaderView *header = d->view->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical)) {
            column = logical;
            break;
        }
    }
    const QModelIndex index = d->model->index(row, column);
    d->view->setCurrentIndex(index);
    d->view->selectRow(row);
    d->view->scrollTo(index);
    d->emitCurrentIfChanged();
}

QVariant ResultGrid::value(int row, const QString &field) const
{
    const int index = d->fieldIndex(field);
    if (index < 0 || row < 0 || row >= rowCount())
        return QVariant();
    return d->rows.value(row, index);
}

QVariant ResultGrid::currentValue(const QString &field) const
{
    return value(currentRow(), field);
}

QSqlRecord ResultGrid::record(int row) const
{
    if (row < 0 || row >= rowCount()) {
        QSqlRecord empty = d->rows.layout();
        empty.clearValues();
        return empty;
    }
    return d->rows.record(row);
}

QSqlRecord ResultGrid::currentRecord() const
{
    return record(currentRow());
}

QStringList ResultGrid::fieldNames() const
{
    QStringList names;
    const QSqlRecord &layout = d->rows.layout();
    for (int i = 0; i < layout.count(); ++i)
        names.append(layout.fieldName(i));
    return names;
}

QVector<ResultGrid::Column> ResultGrid::visibleColumns() const
{
    QVector<Column> out;
    const QHeaderView *header = d->view->horizontalHeader();
    const QVector<ResultGridModel::Column> &cols = d->model->columns();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || logical >= cols.size() || header->isSectionHidden(logical))
            continue;
        Column c = cols[logical].setup;
        if (c.caption.isEmpty())
            c.caption = c.field;
        out.append(c);
    }
    return out;
}

QString ResultGrid::displayText(int row, const QString &field) const
{
    const int column = d->model->columnOfField(field);
    if (column < 0)
        return QString();
    return d->model->index(row, column).data(Qt::DisplayRole).toString();
}

QString ResultGrid::footerText(const QString &field) const
{
    d->waitForTotals();
    return d->footerTextNow(field);
}

bool ResultGrid::totalsPending() const
{
    return d->rows.isOpen() && !d->rows.sumsKnown();
}

void ResultGrid::waitForTotals()
{
    d->waitForTotals();
}

QString ResultGrid::Private::footerTextNow(const QString &field) const
{
    const int column = model->columnOfField(field);
    if (column < 0 || !rows.isOpen())
        return QString();
    const Column &c = model->columns()[column].setup;
    switch (c.footer) {
    case Footer::None:
        return QString();
    case Footer::Count:
        return QString::number(rows.count());
    case Footer::Sum:
    case Footer::SumWhole:
        // Nothing while the sum is being read: an empty cell, not a figure that could be
        // taken for the sum.
        if (!rows.sumsKnown())
            return QString();
        return CellText::sum(rows.sum(c.field), ResultGridModel::cellFormat(c.format),
                             c.footer == Footer::SumWhole);
    }
    return QString();
}

Statement ResultGrid::currentStatement() const
{
    return d->query.hasBase() ? d->query.rows() : Statement();
}

QTableView *ResultGrid::view() const
{
    return d->view;
}

bool ResultGrid::sortBy(const QString &field, Qt::SortOrder order, QString *error)
{
    if (!d->rows.isOpen())
        return false;
    if (!d->query.setSort(field, order, error))
        return false;
    return d->applyQueryChange(error);
}

bool ResultGrid::setColumnFilter(const QString &field, const QVariant &value, QString *error)
{
    if (!d->rows.isOpen())
        return false;
    if (!d->query.setFilter(field, GridQuery::FilterKind::Equals, value, error))
        return false;
    return d->applyQueryChange(error);
}

bool ResultGrid::setColumnFilterContains(const QString &field, const QString &text, QString *error)
{
    if (!d->rows.isOpen())
        return false;
    if (!d->query.setFilter(field, GridQuery::FilterKind::Contains, text, error))
        return false;
    return d->applyQueryChange(error);
}

void ResultGrid::clearColumnFilter(const QString &field)
{
    if (!d->rows.isOpen() || !d->query.filterOf(field))
        return;
    d->query.removeFilter(field);
    QString error;
    if (!d->applyQueryChange(&error))
        Prompt::error(this, error);
}

void ResultGrid::clearFilters()
{
    if (!d->rows.isOpen() || d->query.filters().isEmpty())
        return;
    d->query.clearFilters();
    QString error;
    if (!d->applyQueryChange(&error))
        Prompt::error(this, error);
}

QVariantList ResultGrid::filterValues(const QString &field, int limit) const
{
    QVariantList values;
    const Statement st = d->query.distinctValues(field, limit);
    if (st.sql().isEmpty())
        return values;
    QSqlQuery q = st.exec();
    while (q.next())
        values.append(q.value(0));
    return values;
}
