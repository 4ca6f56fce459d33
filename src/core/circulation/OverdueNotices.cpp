#include "OverdueNotices.h"

#include "ReturnCharges.h"

#include "db/LoginContext.h"
#include "print/ReportText.h"

#include <QSqlQuery>
#include <cmath>
#include <iterator>

namespace OverdueNotices {

namespace {

constexpr double kLeft = 20;
constexpr double kRight = 190;
constexpr double kTop = 18;
constexpr double kBottom = 275;
constexpr double kFont = 10.5;

struct Column {
    const char *field;
    const char *title;
    double width;
    bool right;
};
const Column kColumns[] = {
    {"名称", "名称", 70, false},         {"条形码", "条形码", 32, false},
    {"应还日期", "应还日期", 24, false}, {"超期天数", "超期天数", 20, true},
    {"罚金", "罚金(元)", 24, true},
};

// The text of column c (in the order of kColumns) for one loan.
QString cellText(const Item &item, int c)
{
    switch (c) {
    case 0:
        return item.title;
    case 1:
        return item.barcode;
    case 2:
        return item.due.toString(QStringLiteral("yyyy-MM-dd"));
    case 3:
        return QString::number(item.days);
    default:
        return item.fine.toFixed2();
    }
}

class NoticePages {
public:
    NoticePages(ReportModel &model, const Library &library, const QDate &today)
        : m_model(model)
        , m_library(library)
        , m_today(today)
        , m_line(ReportText::lineHeight(kFont))
    {}

    void add(const Notice &notice, int index)
    {
        startPage(notice, index);
        for (int i = 0; i < notice.items.size(); ++i) {
            if (m_y + 2 * m_line > kBottom - 2 * m_line)
                startPage(notice, index);
            double x = kLeft;
            for (int c = 0; c < int(std::size(kColumns)); ++c) {
                const Column &col = kColumns[c];
                ReportItem &item =
                    m_model.addText(*m_page, QRectF(x + 0.5, m_y, col.width - 1, m_line),
                                    cellText(notice.items[i], c), kFont, false,
                                    (col.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                                    QStringLiteral("cell"));
                item.row = i;
                item.field = QString::fromUtf8(col.field);
                x += col.width;
            }
            m_y += m_line;
        }
        // The total and the request stay together above the page foot.
        if (m_y + 1 + 4 * m_line > kBottom - m_line)
            startPage(notice, index);
        m_model.addLine(*m_page, QPointF(kLeft, m_y + 0.5), QPointF(kRight, m_y + 0.5), 0.3,
                        QStringLiteral("rule"));
        m_y += 1;
        m_model.addText(*m_page, QRectF(kLeft, m_y, kRight - kLeft, m_line),
                        QStringLiteral("共 %1 册, 罚金合计: %2 元")
                            .arg(notice.items.size())
                            .arg(notice.total.toFixed2()),
                        kFont, true, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("total"));
        m_y += 2 * m_line;
        m_model
            .addText(*m_page, QRectF(kLeft, m_y, kRight - kLeft, 2 * m_line),
                     QStringLiteral("请您尽快将以上图书归还图书馆. 如已归还, 请忽略本通知."), kFont,
                     false, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("request"))
            .wrap = true;
    }

private:
    void startPage(const Notice &notice, int index)
    {
        m_page = &m_model.addPage();
        double y = kTop;
        m_model.addText(*m_page, QRectF(kLeft, y, kRight - kLeft, ReportText::lineHeight(16)),
                        m_library.name + QStringLiteral(" 催还通知单"), 16, true, Qt::AlignCenter,
                        QStringLiteral("title"));
        y += ReportText::lineHeight(16) + 3;
        auto line = [&](const QString &text, const QString &role) {
            ReportItem &item =
                m_model.addText(*m_page, QRectF(kLeft, y, kRight - kLeft, m_line), text, kFont,
                                false, Qt::AlignLeft | Qt::AlignVCenter, role);
            item.row = index;
            y += m_line;
        };
        line(QStringLiteral("读者编号: %1        读者姓名: %2")
                 .arg(notice.readerNumber, notice.readerName),
             QStringLiteral("reader"));
        line(QStringLiteral("单位部门: %1        联系电话: %2")
                 .arg(notice.department, notice.telephone),
             QStringLiteral("readerContact"));
        line(QStringLiteral("您借阅的下列图书已到期, 截至 %1 超期天数和罚金如下:")
                 .arg(m_today.toString(QStringLiteral("yyyy-MM-dd"))),
             QStringLiteral("intro"));
        y += 2;
        double x = kLeft;
        for (const Column &c : kColumns) {
            ReportItem &item = m_model.addText(
                *m_page, QRectF(x + 0.5, y, c.width - 1, m_line), QString::fromUtf8(c.title), kFont,
                true, (c.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                QStringLiteral("columnTitle"));
            item.field = QString::fromUtf8(c.field);
            x += c.width;
        }
        m_model.addLine(*m_page, QPointF(kLeft, y + m_line + 0.5),
                        QPointF(kRight, y + m_line + 0.5), 0.3, QStringLiteral("rule"));
        m_y = y + m_line + 1;

        const double footY = kBottom - m_line;
        m_model.addLine(*m_page, QPointF(kLeft, footY), QPointF(kRight, footY), 0.2,
                        QStringLiteral("rule"));
        m_model.addText(*m_page, QRectF(kLeft, footY, kRight - kLeft, m_line),
                        m_library.name + QStringLiteral("    联系电话: ") + m_library.telephone,
                        kFont, false, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("library"));
        m_model.addText(*m_page, QRectF(kLeft, footY, kRight - kLeft, m_line),
                        m_today.toString(QStringLiteral("yyyy-MM-dd")), kFont, false,
                        Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("date"));
    }

    ReportModel &m_model;
    const Library &m_library;
    QDate m_today;
    double m_line;
    ReportPage *m_page = nullptr;
    double m_y = 0;
};

} // namespace

bool readLibrary(Library *library, QString *error)
{
    const LoginContext &c = loginContext();
    library->name = c.libraryName;
    QString failure;
    const QVariant tel = Statement(QStringLiteral("select 电话 from 系统设置")).scalar(&failure);
    if (!failure.isEmpty()) {
        if (error)
            *error = failure;
        return false;
    }
    library->telephone = tel.toString().trimmed();
    if (library->telephone.isEmpty())
        library->telephone = c.telephone;
    return true;
}

bool load(const Statement &loans, const QDate &today, Money finePerDay, QVector<Notice> *notices,
          QString *error)
{
    notices->clear();
    // The reader's department and telephone from the reader's row; a loan whose reader is gone
    // still gets its notice with the number and name kept on the loan.
    const Statement st(
        QStringLiteral(
            "select t.读者编号, t.读者姓名, t.名称, t.条形码, t.应还日期,"
            " (select r.单位部门 from 读者库 r where r.读者编号=t.读者编号 limit 1) as 单位部门,"
            " (select r.联系电话 from 读者库 r where r.读者编号=t.读者编号 limit 1) as 联系电话"
            " from (") +
            loans.sql() + QStringLiteral(") t order by t.读者编号, t.id"),
        loans.values());
    QSqlQuery q = st.exec();
    if (!q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    while (q.next()) {
        const QString number = q.value(0).toString();
        if (notices->isEmpty() || notices->last().readerNumber != number) {
            Notice n;
            n.readerNumber = number;
            n.readerName = q.value(1).toString();
            n.department = q.value(5).toString();
            n.telephone = q.value(6).toString();
            notices->append(n);
        }
        Notice &n = notices->last();
        Item item;
        item.title = q.value(2).toString();
        item.barcode = q.value(3).toString();
        const QDateTime due = dateTimeFromSql(q.value(4));
        item.due = due.date();
        // The same days and fine the return will charge.
        item.days = due.isValid() ? ReturnCharges::daysOverdueOf(due, today) : 0;
        item.fine = ReturnCharges::fineFor(item.days, finePerDay);
        n.total += item.fine;
        n.items.append(item);
    }
    return true;
}

ReportModel report(const QVector<Notice> &notices, const Library &library, const QDate &today)
{
    ReportModel model;
    model.title = QStringLiteral("催还通知单");
    NoticePages pages(model, library, today);
    for (int i = 0; i < notices.size(); ++i)
        pages.add(notices[i], i);
    return model;
}

} // namespace OverdueNotices
