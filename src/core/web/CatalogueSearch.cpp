#include "CatalogueSearch.h"

#include "db/Statement.h"
#include "search/ContainsIndex.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>
#include <chrono>
#include <mutex>

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

namespace {

const QString kColumns = QStringLiteral("select 编号, 条形码, 名称, 作者, 出版社, isbn, 分类号, "
                                        "索书号, 存放位置, 数量, 状态, 预定状况, 预定到期时间 "
                                        "from 图书 where ");

// The order of a result: the order of entry on the embedded database, its rowid, which every
// index holds (ordering by 编号 would read each match's row); on the server, which has no
// such number, 编号.
QString orderOf(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL") ? QStringLiteral("编号")
                                                     : QStringLiteral("rowid");
}

bool failed(Result &out, const QSqlQuery &q)
{
    out.message = QStringLiteral("查找没有成功, 请稍后再试.");
    out.detail = Statement::lastError(q);
    return false;
}

bool readBooks(Result &out, QSqlQuery &q, const QDateTime &now)
{
    if (!q.isActive())
        return failed(out, q);
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
    return true;
}

// A text of one or two characters has no trigram: its search reads every title and author.
// The keys it found are kept for a minute, so that the same short word asked for again (and
// its further pages) costs a lookup of twenty rows; the rows themselves, with the copies on
// the shelf and the reservations, are always read afresh.
struct ShortResult {
    QStringList keys; // the 编号 of the first kShortKeys matches, in the order of the result
    int matches = 0;  // all of them
    qint64 readAt = 0;
};
constexpr qint64 kShortKeepMs = 60 * 1000;
constexpr int kShortEntries = 64;
constexpr int kShortKeys = 2000; // the first hundred pages
std::mutex shortMutex;
QHash<QString, ShortResult> shortResults;

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool shortKeys(const QSqlDatabase &db, const QString &text, ShortResult *found, QString *detail)
{
    const QString key =
        db.driverName() + QLatin1Char('\n') + db.databaseName() + QLatin1Char('\n') + text;
    const qint64 now = steadyMs();
    {
        std::lock_guard<std::mutex> lock(shortMutex);
        auto it = shortResults.find(key);
        if (it != shortResults.end() && now - it->readAt < kShortKeepMs) {
            *found = *it;
            return true;
        }
    }
    Statement st(QStringLiteral("select 编号 from 图书 where "));
    appendCondition(st, db, text);
    st.text(QStringLiteral(" order by %1 limit %2").arg(orderOf(db)).arg(kShortKeys + 1));
    QSqlQuery q = st.exec(db);
    if (!q.isActive()) {
        *detail = Statement::lastError(q);
        return false;
    }
    found->keys.clear();
    while (q.next())
        found->keys << q.value(0).toString();
    found->matches = found->keys.size();
    if (found->keys.size() > kShortKeys) {
        found->keys.removeLast();
        Statement count(QStringLiteral("select count(*) from 图书 where "));
        appendCondition(count, db, text);
        QSqlQuery c = count.exec(db);
        if (!c.isActive() || !c.next()) {
            *detail = Statement::lastError(c);
            return false;
        }
        found->matches = c.value(0).toInt();
    }
    found->readAt = now;
    std::lock_guard<std::mutex> lock(shortMutex);
    if (shortResults.size() >= kShortEntries) {
        auto oldest = shortResults.begin();
        for (auto it = shortResults.begin(); it != shortResults.end(); ++it) {
            if (it->readAt < oldest->readAt)
                oldest = it;
        }
        shortResults.erase(oldest);
    }
    shortResults.insert(key, *found);
    return true;
}

} // namespace

void forgetKeptResults()
{
    std::lock_guard<std::mutex> lock(shortMutex);
    shortResults.clear();
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
    const QString order = orderOf(db);
    const qint64 offset = qint64(page - 1) * kPageSize;

    if (out.text.toUcs4().size() < ContainsIndex::kMinimumLength) {
        ShortResult found;
        QString detail;
        if (!shortKeys(db, out.text, &found, &detail)) {
            out.message = QStringLiteral("查找没有成功, 请稍后再试.");
            out.detail = detail;
            return out;
        }
        // Pages past the kept keys (past the hundredth) are searched as a longer text is.
        if (offset < found.keys.size() || found.keys.size() == found.matches) {
            out.matches = found.matches;
            const QStringList pageKeys = found.keys.mid(offset, kPageSize);
            if (!pageKeys.isEmpty()) {
                Statement st(kColumns + QStringLiteral("编号 in ("));
                for (int i = 0; i < pageKeys.size(); ++i)
                    st.text(i > 0 ? QStringLiteral(", ") : QString()).value(pageKeys[i]);
                st.text(QStringLiteral(") order by ") + order);
                QSqlQuery q = st.exec(db);
                if (!readBooks(out, q, now))
                    return out;
            }
            out.ok = true;
            return out;
        }
    }

    // The page is chosen by the keys alone, and only its rows are read whole: a search that
    // matches thousands of books reads twenty of them.
    Statement st(kColumns + QStringLiteral("编号 in (select 编号 from 图书 where "));
    appendCondition(st, db, out.text);
    st.text(QStringLiteral(" order by %1 limit %2 offset %3) order by %1")
                .arg(order)
                .arg(kPageSize)
                .arg(offset));
    QSqlQuery q = st.exec(db);
    if (!readBooks(out, q, now))
        return out;
    // A first page that is not full holds every match; otherwise they are counted.
    if (page == 1 && out.books.size() < kPageSize) {
        out.matches = out.books.size();
    } else {
        Statement count(QStringLiteral("select count(*) from 图书 where "));
        appendCondition(count, db, out.text);
        QSqlQuery c = count.exec(db);
        if (!c.isActive() || !c.next()) {
            failed(out, c);
            return out;
        }
        out.matches = c.value(0).toInt();
    }
    out.ok = true;
    return out;
}

} // namespace CatalogueSearch
