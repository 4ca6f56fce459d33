#pragma once

#include "db/Statement.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>

// Loan records for the tests of the loan views, written as the lending and the return leave
// them. Dates are database text ("2026-03-10", "2026-03-10 15:30:00"); an empty one is NULL.
struct LoanRow {
    QString reader;
    QString readerName;
    QString number;
    QString title;
    QString barcode;
    QString lent;
    QString due;
    QString returned;
    QString price = QStringLiteral("10");
    QString rent;         // 实际租金
    QString compensation; // 赔偿金额
};

inline bool insertLoan(const LoanRow &r)
{
    auto text = [](const QString &v) {
        return v.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(v);
    };
    Statement st(
        QStringLiteral("insert into 借出记录 (读者编号, 读者姓名, 编号, 名称, 条形码, 类别, "
                       "价格, 借阅日期, 应还日期, 归还日期, 已还, 实际租金, 赔偿金额) "
                       "values ("));
    st.value(r.reader).text(QStringLiteral(",")).value(r.readerName).text(QStringLiteral(","));
    st.value(r.number).text(QStringLiteral(",")).value(r.title).text(QStringLiteral(","));
    st.value(r.barcode).text(QStringLiteral(", '图书',")).value(r.price).text(QStringLiteral(","));
    st.value(text(r.lent)).text(QStringLiteral(",")).value(text(r.due)).text(QStringLiteral(","));
    st.value(text(r.returned)).text(QStringLiteral(","));
    st.value(r.returned.isEmpty() ? QStringLiteral("否") : QStringLiteral("是"));
    st.text(QStringLiteral(",")).value(text(r.rent)).text(QStringLiteral(","));
    st.value(text(r.compensation)).text(QStringLiteral(")"));
    QString error;
    if (!st.run(&error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

// The ids of the loans a statement lists, in its order; "ERROR" and the message on failure.
inline QStringList loanIds(const Statement &st)
{
    QSqlQuery q = st.exec();
    if (!q.isActive())
        return {QStringLiteral("ERROR"), Statement::lastError(q)};
    QStringList out;
    while (q.next())
        out << q.value(QStringLiteral("id")).toString();
    return out;
}
