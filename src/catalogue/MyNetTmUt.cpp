#include "MyNetTmUt.h"

#include "BkAddUt.h"
#include "Prompt.h"
#include "catalogue/LookupSettings.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kCatalogueSource = QStringLiteral("国家图书馆");

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TMyNetTmFm::TMyNetTmFm(TBkAddFm *intake)
    : QWidget(intake, Qt::Window)
    , m_intake(intake)
{
    setObjectName(QStringLiteral("TMyNetTmFm"));
    setWindowTitle(QStringLiteral("联网录入 2010"));
    setAttribute(Qt::WA_DeleteOnClose);

    const IniFile ini(loginContext().iniPath);
    QStringList problems;
    QString timeoutProblem;
    const int timeout = LookupSettings::timeoutSeconds(ini, &timeoutProblem);
    if (!timeoutProblem.isEmpty())
        problems.append(timeoutProblem);
    m_servers = LookupSettings::servers(ini, &problems);
    m_catalogue = new OnlineCatalogue(LookupSettings::catalogueBase(ini), this);
    m_catalogue->setTimeoutMs(timeout * 1000);
    m_copy = new CopyCatalogue(this);
    m_copy->setTimeoutSeconds(timeout);

    m_barcode = new QLineEdit(QStringLiteral("9787115113115"), this);
    m_barcode->setObjectName(QStringLiteral("条形码"));
    m_barcode->installEventFilter(this);
    auto *caption = new QLabel(QStringLiteral("图书条形码:"), this);
    caption->setBuddy(m_barcode);
    m_connect = button(QStringLiteral("连接服务器"), this);
    m_fetch = button(QStringLiteral("获取数据"), this);
    m_copyButton = button(QStringLiteral("Z39.50/SRU检索"), this);
    m_copyButton->setToolTip(m_servers.isEmpty()
                                 ? QStringLiteral("de.ini 的 [lookup] 中没有设置服务器")
                                 : QStringLiteral("同时检索 %1 个服务器").arg(m_servers.size()));
    auto *close = button(QStringLiteral("退出"), this);

    m_results = new QTableWidget(0, 7, this);
    m_results->setObjectName(QStringLiteral("结果"));
    m_results->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("作者"),
                                          QStringLiteral("分类号"), QStringLiteral("出版社"),
                                          QStringLiteral("出版年"), QStringLiteral("简介"),
                                          QStringLiteral("来源")});
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->verticalHeader()->setVisible(false);
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->setWordWrap(false);
    const int widths[] = {170, 130, 80, 130, 50, 200};
    for (int c = 0; c < 6; ++c)
        m_results->setColumnWidth(c, widths[c]);
    m_results->setToolTip(QStringLiteral("双击一行, 把它填入添加图书窗口"));

    m_status = new QLabel(problems.join(QLatin1Char('\n')), this);
    m_status->setObjectName(QStringLiteral("状态"));
    m_status->setWordWrap(true);

    auto *top = new QHBoxLayout;
    top->addWidget(caption);
    top->addWidget(m_barcode, 1);
    top->addWidget(m_connect);
    top->addWidget(m_fetch);
    top->addWidget(m_copyButton);
    top->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_status);
    resize(900, 360);

    connect(m_connect, &QPushButton::clicked, this, &TMyNetTmFm::connectClicked);
    connect(m_fetch, &QPushButton::clicked, this, &TMyNetTmFm::fetchClicked);
    connect(m_barcode, &QLineEdit::returnPressed, this, &TMyNetTmFm::fetchClicked);
    connect(m_copyButton, &QPushButton::clicked, this, &TMyNetTmFm::copyClicked);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_results, &QTableWidget::cellDoubleClicked, this,
            [this](int line, int) { fillIntake(line); });
    connect(m_catalogue, &OnlineCatalogue::connected, this, &TMyNetTmFm::connected);
    connect(m_catalogue, &OnlineCatalogue::lookedUp, this, &TMyNetTmFm::lookedUp);
    connect(m_copy, &CopyCatalogue::answered, this, &TMyNetTmFm::answered);
    connect(m_copy, &CopyCatalogue::finished, this, &TMyNetTmFm::copyFinished);
}

bool TMyNetTmFm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_barcode && event->type() == QEvent::MouseButtonPress)
        QTimer::singleShot(0, m_barcode, &QLineEdit::selectAll);
    return QWidget::eventFilter(watched, event);
}

void TMyNetTmFm::setBusy()
{
    const bool busy = m_catalogue->isBusy();
    m_connect->setEnabled(!busy);
    m_fetch->setEnabled(!busy);
    if (busy)
        m_status->setText(QStringLiteral("正在连接 %1 …").arg(m_catalogue->catalogueBase()));
}

void TMyNetTmFm::connectClicked()
{
    m_catalogue->connectServer();
    setBusy();
}

void TMyNetTmFm::connected(bool ok, const QString &message)
{
    setBusy();
    m_status->setText(message);
    if (ok)
        Prompt::info(this, message);
    else
        Prompt::error(this, message);
}

void TMyNetTmFm::fetchClicked()
{
    if (m_catalogue->isBusy())
        return;
    m_catalogue->lookup(m_barcode->text());
    setBusy();
}

void TMyNetTmFm::lookedUp(const OnlineCatalogue::Outcome &outcome)
{
    setBusy();
    if (outcome.found()) {
        m_status->setText(QStringLiteral("已取得: ") + outcome.book.title);
        addLine(outcome.book, kCatalogueSource, outcome.barcode);
        fillIntake(m_books.size() - 1);
        return;
    }
    m_status->setText(outcome.message);
    if (outcome.ok)
        Prompt::info(this, outcome.message);
    else
        Prompt::error(this, outcome.message);
}

void TMyNetTmFm::copyClicked()
{
    if (m_servers.isEmpty()) {
        Prompt::info(this, QStringLiteral("没有可检索的 Z39.50/SRU 服务器: 请在 de.ini 的 [lookup] "
                                          "中设置 Server1 等 (见用户指南 \"联网录入\")."));
        return;
    }
    if (m_copy->isBusy())
        return;
    m_copyBarcode = m_barcode->text();
    m_copyFilled = false;
    m_copyButton->setEnabled(false);
    m_status->setText(QStringLiteral("正在检索 %1 个服务器 …").arg(m_servers.size()));
    m_copy->search(m_servers, m_copyBarcode);
}

void TMyNetTmFm::answered(const CopyAnswer &answer)
{
    QString line;
    if (!answer.error.isEmpty()) {
        line = QStringLiteral("%1: %2").arg(answer.server.name, answer.error);
    } else {
        line = QStringLiteral("%1: %2 条记录").arg(answer.server.name).arg(answer.hits);
        for (const MarcBook &m : answer.books) {
            CatalogueBook b;
            b.title = m.name;
            b.author = m.author;
            b.classNumber = m.classNumber;
            b.place = m.place;
            b.publisher = m.publisher;
            // The year out of texts such as "2003", "c1997." or "[19--]".
            const QRegularExpressionMatch year =
                QRegularExpression(QStringLiteral("\\d{4}")).match(m.published);
            b.year = year.hasMatch() ? year.captured() : m.published.left(4);
            b.summary = m.summary;
            addLine(b, answer.server.name, m_copyBarcode);
            // The first answer with a record fills the intake window; the others wait in the
            // list for a double click.
            if (!m_copyFilled) {
                m_copyFilled = true;
                fillIntake(m_books.size() - 1);
            }
        }
    }
    m_status->setText(m_status->text().startsWith(QStringLiteral("正在检索"))
                          ? line
                          : m_status->text() + QLatin1Char('\n') + line);
}

void TMyNetTmFm::copyFinished()
{
    m_copyButton->setEnabled(true);
    if (!m_copyFilled)
        Prompt::info(this, OnlineCatalogue::notFoundMessage(m_copyBarcode));
}

void TMyNetTmFm::addLine(const CatalogueBook &book, const QString &source, const QString &barcode)
{
    const int line = m_results->rowCount();
    m_results->insertRow(line);
    const QStringList texts = {
        book.title, book.author, book.classNumber, book.publisher, book.year, book.summary, source};
    for (int c = 0; c < texts.size(); ++c) {
        auto *item = new QTableWidgetItem(texts[c]);
        item->setToolTip(texts[c]);
        m_results->setItem(line, c, item);
    }
    m_books.append(book);
    m_barcodes.append(barcode);
    m_results->selectRow(line);
}

void TMyNetTmFm::fillIntake(int line)
{
    if (!m_intake || line < 0 || line >= m_books.size())
        return;
    const CatalogueBook &b = m_books[line];
    m_intake->takeLookup(b.title, b.classNumber, b.author, b.publisher, m_barcodes[line],
                         b.summary);
}
