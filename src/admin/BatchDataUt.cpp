#include "BatchDataUt.h"

#include "Prompt.h"
#include "admin/BatchChanges.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A pick list that allows only its entries and starts with none chosen.
QComboBox *pickList(QWidget *parent, const QStringList &entries)
{
    auto *list = new QComboBox(parent);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    list->setMinimumWidth(160);
    return list;
}

} // namespace

TBatchDataFm::TBatchDataFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBatchDataFm"));
    setWindowTitle(QStringLiteral("批处理"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *tabs = new QTabWidget(this);
    layout->addWidget(tabs);

    auto *placeTab = new QWidget(tabs);
    auto *placeForm = new QFormLayout(placeTab);
    const QStringList places = BatchChanges::listNames(QStringLiteral("存放位置"));
    m_kind = pickList(placeTab, BatchChanges::kinds());
    m_from = pickList(placeTab, places);
    m_to = pickList(placeTab, places);
    placeForm->addRow(QStringLiteral("库"), m_kind);
    placeForm->addRow(QStringLiteral("修改前的"), m_from);
    placeForm->addRow(QStringLiteral("修改后的"), m_to);
    auto *placeRun = new QPushButton(QStringLiteral("执行"), placeTab);
    placeForm->addRow(QString(), placeRun);
    tabs->addTab(placeTab, QStringLiteral("批量修改存放位置"));
    connect(placeRun, &QPushButton::clicked, this, &TBatchDataFm::placeClick);

    auto *readerTab = new QWidget(tabs);
    auto *readerGrid = new QGridLayout(readerTab);
    const char *captions[] = {"院系", "班级", "单位部门"};
    const char *tables[] = {"院系", "班级", "单位名称"};
    for (int i = 0; i < 3; ++i) {
        m_readerBoxes[i] = new QCheckBox(QString::fromUtf8(captions[i]), readerTab);
        m_readerLists[i] =
            pickList(readerTab, BatchChanges::listNames(QString::fromUtf8(tables[i])));
        m_readerLists[i]->setEnabled(false);
        connect(m_readerBoxes[i], &QCheckBox::toggled, m_readerLists[i], &QWidget::setEnabled);
        readerGrid->addWidget(m_readerBoxes[i], i, 0);
        readerGrid->addWidget(m_readerLists[i], i, 1);
    }
    auto *readerRun = new QPushButton(QStringLiteral("执行"), readerTab);
    readerGrid->addWidget(readerRun, 3, 1, Qt::AlignRight);
    tabs->addTab(readerTab, QStringLiteral("批量删除读者"));
    connect(readerRun, &QPushButton::clicked, this, &TBatchDataFm::readersClick);

    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TBatchDataFm::placeClick()
{
    if (m_kind->currentIndex() < 0 || m_from->currentIndex() < 0 || m_to->currentIndex() < 0) {
        Prompt::info(this, BatchChanges::incompleteMessage());
        return;
    }
    const Statement st = BatchChanges::locationChange(m_kind->currentText(), m_from->currentText(),
                                                      m_to->currentText());
    Prompt::info(this, st.displayText());
    QString error;
    if (!st.run(&error)) {
        Prompt::error(this, error);
        return;
    }
    Prompt::info(this, BatchChanges::doneMessage());
}

void TBatchDataFm::readersClick()
{
    QString values[3];
    bool any = false;
    for (int i = 0; i < 3; ++i) {
        if (!m_readerBoxes[i]->isChecked())
            continue;
        if (m_readerLists[i]->currentIndex() < 0 || m_readerLists[i]->currentText().isEmpty()) {
            Prompt::info(this, BatchChanges::incompleteMessage());
            return;
        }
        values[i] = m_readerLists[i]->currentText();
        any = true;
    }
    if (!any) {
        Prompt::info(this, BatchChanges::incompleteMessage());
        return;
    }
    const BatchChanges::ReaderGroup group{values[0], values[1], values[2]};
    BatchChanges::ReaderCount count;
    QString error;
    if (!BatchChanges::countReaders(group, &count, &error)) {
        Prompt::error(this, error);
        return;
    }
    if (count.deletable == 0) {
        Prompt::info(this, BatchChanges::deletionQuestion(count).section(QLatin1Char('\n'), 0, 0));
        return;
    }
    if (!Prompt::ask(this, BatchChanges::deletionQuestion(count), Prompt::Answer::No))
        return;
    int deleted = 0;
    if (!BatchChanges::deleteReaders(group, &deleted, &error)) {
        Prompt::error(this, error);
        return;
    }
    Prompt::info(this, BatchChanges::deletedMessage(deleted));
}
