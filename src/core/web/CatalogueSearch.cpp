#include "CatalogueSearch.h"

#include "db/Statement.h"
#include "search/ContainsIndex.h"

#include <QSqlQuery>
#include <QVariant>

namespace CatalogueSearch {

namespace {

const QString kTable = QStringLiteral("图书");

// The condition "the book matches text". Every branch of the "or" can be served by an index
// (trigram for the contained texts, the key for 编号, the 分类号 index for the beginning of a
// classification), so the database never reads the whole table for a text of three or more
// characters; a shorter one is looked for in every title and author.
void appendCondition(Statement &st, const QSqlDatabase &db, const QString &text)
{
    // A text too short for the trigram index is looked for in the title and the author
    // only: each contained column then costs a read of every row, and one or two characters
    // of an ISBN or barcode find nothing a reader wants.
    QStringList contained = {QStringLiteral("名称"), QStringLiteral("作者")};
    if (text.toUcs4().size() >= ContainsIndex::kMinimumLength)
        contained << QStringLiteral("isbn") << QStringLiteral("条形码");
    st.text(QStringLiteral("("));
    ContainsIndex::appendContainsAny(st, db, kTable, contained, text);
    st.text(QStringLiteral(" or "));
    st.text(QStringLiteral("编号 = ")).value(text);
    // A classification number and every one that begins with it (I24 finds I247.5): the
    // range of texts from it up to it followed by the last character.
    st.text(QStringLiteral(" or (分类号 >= ")).value(text);
    st.text(QStringLiteral(" and 分类号 < ")).value(text + QChar(0xFFFF));
    st.text(QStringLiteral("))"));
}

QString shown(const QVariant &value)
{
    const QString text = value.toString().trimmed();
    return text == QLatin1String("n") ? QString() : text;
}

} // namespace

bool reservationHolds(const QVariant &holder, const QVariant &until, const QDateTime &now)
{
    if (holder.isNull())
        return false;
    if (until.isNull())
        return true;
    const QDateTime end = dateTimeFromSql(until);
    return !end.isValid() || end >= now;
}

Result search(const QSqlDatabase &db, const QString &text, int page, const QDateTime &now)
{
    Result out;
    out.text = text.trimmed();
    out.page = page;
    if (out.text.isEmpty()) {
        out.message = QStringLiteral("请输入要查找的书名、作者、ISBN、条形码或分类号.");
        return out;
    }
    if (out.text.size() > kMaxTextLength) {
        out.message = QStringLiteral("查找的文字太长了 (最多 %1 个字符).").arg(kMaxTextLength);
        return out;
    }
    if (page < 1 || page > kMaxPage) {
        out.message = QStringLiteral("页码不正确.");
        return out;
    }

    // The page is chosen by the keys alone, and only its rows are read whole: a search that
    // matches thousands of books reads twenty of them. The embedded database lists them in the
    // order of entry, its rowid, which every index holds (ordering by 编号 would read each
    // match's row); the server, which has no such number, by 编号.
    const QString order = db.driverName() == QLatin1String("QPSQL") ? QStringLiteral("编号")
                                                                    : QStringLiteral("rowid");
    Statement st(QStringLiteral("select 编号, 条形码, 名称, 作者, 出版社, isbn, 分类号, 索书号, "
                                "存放位置, 数量, 状态, 预定状况, 预定到期时间 from 图书 where 编号 "
                                "in (select 编号 from 图书 where "));
    appendCondition(st, db, out.text);
    st.text(QStringLiteral(" order by %1 limit %2 offset %3) order by %1")
                .arg(order)
                .arg(kPageSize)
                .arg(qint64(page - 1) * kPageSize));
    QSqlQuery q = st.exec(db);
    if (!q.isActive()) {
        out.message = QStringLiteral("查找没有成功, 请稍后再试.");
        out.detail = Statement::lastError(q);
        return out;
    }
    while (q.next()) {
        Book b;
        b.number = q.value(0).toString();
        b.barcode = shown(q.value(1));
        b.title = q.value(2).toString();
        b.author = q.value(3).toString();
        b.publisher = q.value(4).toString();
        b.isbn = q.value(5).toString();
        b.classNo = q.value(6).toString();
        b.callNumber = q.value(7).toString();
        b.location = q.value(8).toString();
        b.onShelf = qMax(0, q.value(9).toInt());
        b.notForLoan = q.value(10).toString().trimmed() == QStringLiteral("不外借");
        b.reserved = reservationHolds(q.value(11), q.value(12), now);
        out.books << b;
    }
    // A first page that is not full holds every match; otherwise they are counted.
    if (page == 1 && out.books.size() < kPageSize) {
        out.matches = out.books.size();
    } else {
        Statement count(QStringLiteral("select count(*) from 图书 where "));
        appendCondition(count, db, out.text);
        QSqlQuery c = count.exec(db);
        if (!c.isActive() || !c.next()) {
            out.message = QStringLiteral("查找没有成功, 请稍后再试.");
            out.detail = Statement::lastError(c);
            return out;
        }
        out.matches = c.value(0).toInt();
    }
    out.ok = true;
    return out;
}

} // namespace CatalogueSearch
