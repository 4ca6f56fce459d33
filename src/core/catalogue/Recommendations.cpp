#include "Recommendations.h"

#include "text/Gbk.h"

#include <QSqlQuery>

namespace Recommendations {

bool reasonFits(const QString &reason)
{
    return Gbk::byteLength(reason) <= kReasonBytes;
}

QString reasonTooLongMessage()
{
    return QStringLiteral("不能大于25个汉字或50个字符!");
}

QString noRightMessage()
{
    return QStringLiteral("没有权限!");
}

Result recommend(const QSqlRecord &book, const QString &adminName, const QString &reason)
{
    Result out;
    if (!reasonFits(reason)) {
        out.message = reasonTooLongMessage();
        return out;
    }
    Statement st(QStringLiteral("insert into b_tuiJian(编号,名称,作者,分类,存放位置,推荐人,memo) "
                                "values("));
    const char *fields[] = {"编号", "名称", "作者", "分类", "存放位置"};
    for (const char *f : fields)
        st.value(book.value(QString::fromUtf8(f))).text(QStringLiteral(","));
    st.value(adminName).text(QStringLiteral(",")).value(reason).text(QStringLiteral(")"));
    out.ok = st.run(&out.message);
    return out;
}

Statement listStatement()
{
    return Statement(QStringLiteral("select * from B_tuiJian"));
}

Result removeOne(const QVariant &id)
{
    Result out;
    Statement st(QStringLiteral("delete from b_tuiJian where id="));
    st.value(id);
    out.ok = st.run(&out.message);
    return out;
}

Result removeAll()
{
    Result out;
    out.ok = Statement(QStringLiteral("delete from b_tuiJian")).run(&out.message);
    return out;
}

} // namespace Recommendations
