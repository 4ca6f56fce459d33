#include "LibraryGenerator.h"

#include "BulkRows.h"
#include "GeneratedItems.h"
#include "GeneratedReferenceData.h"
#include "LibraryWords.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "search/ContainsIndex.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>

namespace {

using namespace GeneratedItems;

QVariant nullText()
{
    return QVariant(QMetaType(QMetaType::QString));
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? nullText() : QVariant(text);
}

} // namespace

class LibraryGenerator::Run {
public:
    Run(QSqlDatabase db, const Options &options, const Size &size, const PhaseReport &report)
        : m_db(std::move(db))
        , m_o(options)
        , m_size(size)
        , m_report(report)
        , m_firstLoanDay(options.today.addDays(-options.years * 365 + 1))
        , m_firstCachedDay(options.today.addDays(-45 * 366))
    {}

    bool execute(QString *error);

private:
    bool phase(const QString &name, bool (Run::*step)(QString *, qint64 *), QString *error);
    bool referenceLists(QString *error, qint64 *rows);
    bool plan(QString *error, qint64 *rows);
    bool loans(QString *error, qint64 *rows);
    bool books(QString *error, qint64 *rows);
    bool periodicals(QString *error, qint64 *rows);
    bool readers(QString *error, qint64 *rows);
    bool indexes(QString *error, qint64 *rows);
    bool run(const QString &sql, QString *error) const;

    // Date and amount values as UTF-8 text, each formatted once.
    const QByteArray &day(const QDate &date);
    const QByteArray &money(qint64 raw);

    QSqlDatabase m_db;
    Options m_o;
    Size m_size;
    PhaseReport m_report;
    QDate m_firstLoanDay;
    QDate m_firstCachedDay;
    QVector<QByteArray> m_days;
    QHash<qint64, QByteArray> m_amounts;
    qint64 m_finePerDayRaw = 1000;

    // What the loans need of each item and reader, and the counters they change.
    struct ItemState {
        QByteArray number;
        QByteArray title;
        QByteArray barcode;
        qint64 priceRaw = 0;
        qint32 lent = 0;
        quint8 copies = 0;
        quint8 open = 0;
        quint8 level = 0;
        bool lendable = true;
    };
    struct ReaderState {
        QByteArray number;
        QByteArray name;
        qint64 chargesRaw = 0;
        qint32 loans = 0;
        quint16 open = 0;
        quint8 category = 0;
        quint8 openByLevel[4] = {}; // open loans per item level, for the level's limit
    };
    QVector<ItemState> m_books;
    QVector<ItemState> m_periodicals;
    QVector<ReaderState> m_readers;
};

const QByteArray &LibraryGenerator::Run::day(const QDate &date)
{
    static const QByteArray none;
    const qint64 i = m_firstCachedDay.daysTo(date);
    if (i < 0 || i > 60 * 366)
        return none;
    if (m_days.isEmpty())
        m_days.resize(60 * 366 + 1);
    QByteArray &v = m_days[static_cast<int>(i)];
    if (v.isNull())
        v = sqlDate(date).toString().toUtf8();
    return v;
}

const QByteArray &LibraryGenerator::Run::money(qint64 raw)
{
    auto it = m_amounts.find(raw);
    if (it == m_amounts.end())
        it = m_amounts.insert(raw, Money::fromRaw(raw).toSql().toString().toUtf8());
    return it.value();
}

bool LibraryGenerator::Run::run(const QString &sql, QString *error) const
{
    return Statement(sql).run(m_db, error);
}

bool LibraryGenerator::Run::phase(const QString &name, bool (Run::*step)(QString *, qint64 *),
                                  QString *error)
{
    QElapsedTimer timer;
    timer.start();
    qint64 rows = 0;
    if (!(this->*step)(error, &rows)) {
        if (error)
            *error = name + QStringLiteral("：") + *error;
        return false;
    }
    if (m_report)
        m_report(name, rows, timer.elapsed());
    return true;
}

bool LibraryGenerator::Run::execute(QString *error)
{
    QSqlQuery check =
        Statement(
            QStringLiteral("select (select count(*) from 图书) + (select count(*) from 读者库)"))
            .exec(m_db);
    if (!check.next()) {
        *error = Statement::lastError(check);
        return false;
    }
    if (check.value(0).toLongLong() != 0) {
        *error = QStringLiteral("数据库中已经有图书或读者，不能再生成示例数据");
        return false;
    }
    check.finish();
    const bool bulk = m_o.bulkLoad && m_db.driverName() == QLatin1String("QSQLITE");
    if (bulk) {
        for (const char *p :
             {"pragma journal_mode=OFF", "pragma synchronous=OFF", "pragma cache_size=-400000",
              "pragma temp_store=MEMORY", "pragma threads=2"}) {
            if (!run(QString::fromLatin1(p), error))
                return false;
        }
        for (const Schema::Index &ix : Schema::indexes()) {
            if (!run(QStringLiteral("drop index if exists ") + ix.name, error))
                return false;
        }
        if (!ContainsIndex::drop(m_db, SqlDialect::Embedded, error))
            return false;
    }
    const bool ok = phase(QStringLiteral("参考数据"), &Run::referenceLists, error) &&
                    phase(QStringLiteral("准备"), &Run::plan, error) &&
                    phase(QStringLiteral("借出记录"), &Run::loans, error) &&
                    phase(QStringLiteral("图书"), &Run::books, error) &&
                    phase(QStringLiteral("期刊"), &Run::periodicals, error) &&
                    phase(QStringLiteral("读者和收入"), &Run::readers, error) &&
                    (!bulk || phase(QStringLiteral("索引"), &Run::indexes, error));
    if (bulk) {
        QString ignored;
        run(QStringLiteral("pragma journal_mode=WAL"), &ignored);
        run(QStringLiteral("pragma synchronous=NORMAL"), &ignored);
        run(QStringLiteral("pragma cache_size=-2000"), &ignored);
    }
    return ok;
}

bool LibraryGenerator::Run::referenceLists(QString *error, qint64 *rows)
{
    if (!GeneratedReferenceData::fill(m_db, rows, error))
        return false;
    QSqlQuery fine = Statement(QStringLiteral("select 超期每日罚金 from 系统设置")).exec(m_db);
    if (fine.next())
        m_finePerDayRaw = Money::fromVariant(fine.value(0)).raw();
    return true;
}

bool LibraryGenerator::Run::plan(QString *, qint64 *rows)
{
    m_books.resize(m_size.books);
    for (int i = 0; i < m_size.books; ++i) {
        const Book b = book(m_o.seed, i, m_o.today);
        ItemState &s = m_books[i];
        s.number = b.number.toUtf8();
        s.title = b.title.text.toUtf8();
        s.barcode = b.barcode.toUtf8();
        s.priceRaw = b.priceRaw;
        s.copies = static_cast<quint8>(b.copies);
        s.level = static_cast<quint8>(b.level);
        s.lendable = b.lendable;
    }
    m_periodicals.resize(m_size.periodicals);
    for (int i = 0; i < m_size.periodicals; ++i) {
        const Periodical p = periodical(m_o.seed, i, m_o.today);
        ItemState &s = m_periodicals[i];
        s.number = p.number.toUtf8();
        s.title = LibraryWords::periodicals()[p.title].name.text.toUtf8();
        s.barcode = p.barcode.toUtf8();
        s.priceRaw = p.priceRaw;
        s.copies = static_cast<quint8>(p.copies);
        s.level = static_cast<quint8>(p.level);
    }
    m_readers.resize(m_size.readers);
    for (int i = 0; i < m_size.readers; ++i) {
        const Reader r = reader(m_o.seed, i, m_firstLoanDay);
        m_readers[i].number = r.number.toUtf8();
        m_readers[i].name = r.name.text.toUtf8();
        m_readers[i].category = static_cast<quint8>(r.category);
    }
    *rows = m_size.books + m_size.periodicals + m_size.readers;
    return true;
}

bool LibraryGenerator::Run::loans(QString *error, qint64 *rows)
{
    if (m_size.loans <= 0 || m_size.readers <= 0 || m_size.books + m_size.periodicals <= 0)
        return true;
    RowBatches batches(m_db);
    BulkInsert insert(
        m_db, &batches,
        QStringLiteral("insert into 借出记录 (读者编号, 读者姓名, 条形码, 编号, 名称, 类别, "
                       "物品级别, 价格, 借阅日期, 归还日期, 应还日期, 已还, 租金, 罚金, "
                       "实际租期, 实际租金, 借阅经手人, 归还经手人, 物品状况, 赔偿金额, "
                       "归还备注) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?)"));
    if (!insert.ok(error))
        return false;
    const QStringList admins = administrators();
    const QVector<ReaderCategory> &cats = readerCategories();
    const QVector<ItemLevel> &levels = itemLevels();
    const QByteArray book = QStringLiteral("图书").toUtf8();
    const QByteArray periodical = QStringLiteral("期刊").toUtf8();
    const QByteArray yes = QStringLiteral("是").toUtf8();
    const QByteArray no = QStringLiteral("否").toUtf8();
    const QByteArray intact = QStringLiteral("完好").toUtf8();
    const QByteArray damaged = QStringLiteral("破损").toUtf8();
    const QByteArray damageNote = QStringLiteral("封面破损，已赔偿").toUtf8();
    const QByteArray none;
    QVector<QByteArray> levelNames;
    for (const ItemLevel &l : levels)
        levelNames << l.name.toUtf8();
    QVector<QByteArray> adminNames;
    for (const QString &a : admins)
        adminNames << a.toUtf8();

    GeneratorRandom r(m_o.seed ^ 0x4C4F414E53ULL);
    const qint64 span = m_firstLoanDay.daysTo(m_o.today) + 1;
    const bool withPeriodicals = m_size.periodicals > 0;
    for (qint64 k = 0; k < m_size.loans; ++k) {
        const QDate lent = m_firstLoanDay.addDays(k * span / m_size.loans);
        const bool isPeriodical = m_size.books == 0 || (withPeriodicals && r.chance(0.05));
        QVector<ItemState> &items = isPeriodical ? m_periodicals : m_books;
        int item = r.skewed(items.size(), isPeriodical ? 1.5 : 2.0);
        for (int tries = 0; !items[item].lendable && tries < items.size(); ++tries)
            item = (item + 1) % items.size();
        if (!items[item].lendable)
            continue;
        const int who = r.skewed(m_size.readers, 1.6);
        ItemState &it = items[item];
        ReaderState &rd = m_readers[who];
        const ReaderCategory &cat = cats[rd.category];
        const QDate due = lent.addDays(cat.days);
        const qint64 age = lent.daysTo(m_o.today);
        const double openChance = age < 60 ? 0.75 : age < 365 ? 0.003 : 0.0005;
        const int levelLimit = levels[it.level].limit;
        const bool open = r.chance(openChance) && it.open < it.copies && rd.open < cat.limit &&
                          (levelLimit <= 0 || rd.openByLevel[it.level] < levelLimit);

        insert.bindUtf8(0, rd.number);
        insert.bindUtf8(1, rd.name);
        insert.bindUtf8(2, it.barcode);
        insert.bindUtf8(3, it.number);
        insert.bindUtf8(4, it.title);
        insert.bindUtf8(5, isPeriodical ? periodical : book);
        insert.bindUtf8(6, levelNames[it.level]);
        insert.bindUtf8(7, money(it.priceRaw));
        insert.bindUtf8(8, day(lent));
        insert.bindUtf8(10, day(due));
        insert.bindUtf8(12, money(cat.rentRaw));
        insert.bindUtf8(16, adminNames[r.below(adminNames.size())]);
        if (open) {
            ++it.open;
            ++rd.open;
            ++rd.openByLevel[it.level];
            for (int c : {9, 13, 14, 15, 17, 19, 20})
                insert.bindUtf8(c, none);
            insert.bindUtf8(11, no);
            insert.bindUtf8(18, intact);
        } else {
            // Most come back within the loan period, some late.
            const int kept = r.chance(0.85) ? 1 + r.below(cat.days) : cat.days + r.between(1, 60);
            QDate back = lent.addDays(kept);
            if (back > m_o.today)
                back = m_o.today;
            const qint64 period = qMax<qint64>(1, lent.daysTo(back));
            const qint64 overdue = qMax<qint64>(0, due.daysTo(back));
            const qint64 rent = cat.rentRaw * period;
            const qint64 fine = m_finePerDayRaw * overdue;
            rd.chargesRaw += rent + fine;
            const bool isDamaged = r.chance(0.02);
            insert.bindUtf8(9, day(back));
            insert.bindUtf8(11, yes);
            insert.bindUtf8(13, money(fine));
            insert.bind(14, static_cast<int>(period));
            insert.bindUtf8(15, money(rent));
            insert.bindUtf8(17, adminNames[r.below(adminNames.size())]);
            insert.bindUtf8(18, isDamaged ? damaged : intact);
            // A damaged copy is paid at three tenths of its price, to the jiao.
            insert.bindUtf8(19, money(isDamaged ? it.priceRaw * 3 / 10 / 1000 * 1000 : 0));
            insert.bindUtf8(20, isDamaged ? damageNote : none);
        }
        ++it.lent;
        ++rd.loans;
        if (!insert.exec(error))
            return false;
    }
    *rows = insert.rows();
    return batches.finish(error);
}

bool LibraryGenerator::Run::books(QString *error, qint64 *rows)
{
    RowBatches batches(m_db);
    BulkInsert insert(
        m_db, &batches,
        QStringLiteral("insert into 图书 (编号, 条形码, 名称, 出版社, 分类号, 分类, 二级分类, "
                       "存放位置, 索书号, 作者, 译者, 数量, 价格, 出版时间, 页数, isbn, 版次, "
                       "借出次数, 状态, 简介, py, zch, 币种, 物品级别, 登记人, 入库时间, 密级, "
                       "附件, 来源, 捐赠人, 图片地址, 绝对地址, a1, a2, a3, 预定状况, "
                       "预定到期时间, TmpA) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?)"));
    if (!insert.ok(error))
        return false;
    const auto &classes = LibraryWords::classifications();
    const auto &pubs = LibraryWords::publishers();
    const QVector<ItemLevel> &levels = itemLevels();
    const QVariant none = nullText();
    const QVariant normal = QStringLiteral("正常");
    const QVariant notLent = QStringLiteral("不外借");
    const QVariant noPath = QStringLiteral("n");
    const QVariant open = QStringLiteral("公开");
    // The running number of the titles within each classification number.
    QHash<QString, int> running;
    GeneratorRandom reserve(m_o.seed ^ 0x5245534552ULL);
    for (int i = 0; i < m_size.books; ++i) {
        const Book b = book(m_o.seed, i, m_o.today);
        const ItemState &s = m_books[i];
        const LibraryWords::Classification &c = classes[b.classification];
        const int zch = ++running[c.number];
        insert.bind(0, b.number);
        insert.bind(1, b.barcode);
        insert.bind(2, b.title.text);
        insert.bind(3, pubs[b.publisher].name);
        insert.bind(4, c.number);
        insert.bind(5, c.category);
        insert.bind(6, c.subcategory);
        insert.bind(7, b.location);
        insert.bind(8, c.number + QLatin1Char('/') + QString::number(zch));
        insert.bind(9, b.author);
        insert.bind(10, textOrNull(b.translator));
        insert.bind(11, static_cast<int>(s.copies) - s.open);
        insert.bindUtf8(12, money(b.priceRaw));
        insert.bindUtf8(13, day(b.published));
        insert.bind(14, b.pages);
        insert.bind(15, b.isbn);
        insert.bind(16, b.edition);
        insert.bind(17, s.lent);
        insert.bind(18, b.lendable ? normal : notLent);
        insert.bind(19, textOrNull(b.summary));
        insert.bind(20, b.title.py);
        insert.bind(21, zch);
        insert.bind(22, b.currency);
        insert.bind(23, levels[b.level].name);
        insert.bind(24, b.registrar);
        insert.bind(25, sqlDateTime(b.intake));
        insert.bind(26, i % 50 == 0 ? open : none);
        insert.bind(27, textOrNull(b.attachment));
        insert.bind(28, b.source);
        insert.bind(29, textOrNull(b.donor));
        insert.bind(30, noPath);
        insert.bind(31, noPath);
        for (int col : {32, 33, 34})
            insert.bind(col, none);
        // A few titles are held for a reader: some holds still run, some have lapsed.
        if (b.lendable && m_size.readers > 0 && reserve.chance(0.003)) {
            const int who = reserve.below(m_size.readers);
            insert.bind(35, QStringLiteral("%1").arg(who + 1, 6, 10, QLatin1Char('0')));
            insert.bind(36, sqlDateTime(QDateTime(m_o.today.addDays(reserve.between(-7, 7)),
                                                  QTime(17, 0))));
        } else {
            insert.bind(35, none);
            insert.bind(36, none);
        }
        insert.bind(37, b.intake.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                            QStringLiteral("+A"));
        if (!insert.exec(error))
            return false;
    }
    *rows = insert.rows();
    return batches.finish(error);
}

bool LibraryGenerator::Run::periodicals(QString *error, qint64 *rows)
{
    RowBatches batches(m_db);
    BulkInsert insert(
        m_db, &batches,
        QStringLiteral("insert into 期刊 (编号, 名称, 条形码, 物品级别, 分类, 二级分类, 出版社, "
                       "存放位置, 数量, ISSN, py, 国内统一刊号, 邮发代号, 出版时间, 第几期, "
                       "入库时间, 总第几期, 价格, 币种, 借出次数, 状态, 来源, 捐赠人, 简介, "
                       "登记人, 图片地址, 绝对地址, 预定状况, 预定到期时间) values (?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, NULL, NULL)"));
    if (!insert.ok(error))
        return false;
    const auto &classes = LibraryWords::classifications();
    const auto &titles = LibraryWords::periodicals();
    const QVector<ItemLevel> &levels = itemLevels();
    const QVariant none = nullText();
    const QVariant noPath = QStringLiteral("n");
    for (int i = 0; i < m_size.periodicals; ++i) {
        const Periodical p = periodical(m_o.seed, i, m_o.today);
        const ItemState &s = m_periodicals[i];
        const LibraryWords::Periodical &t = titles[p.title];
        insert.bind(0, p.number);
        insert.bind(1, t.name.text);
        insert.bind(2, p.barcode);
        insert.bind(3, levels[p.level].name);
        insert.bind(4, classes[p.classification].category);
        insert.bind(5, classes[p.classification].subcategory);
        insert.bind(6, t.publisher);
        insert.bind(7, p.location);
        insert.bind(8, static_cast<int>(s.copies) - s.open);
        insert.bind(9, t.issn);
        insert.bind(10, t.name.py);
        insert.bind(11, t.cn);
        insert.bind(12, t.postCode);
        insert.bindUtf8(13, day(p.published));
        insert.bind(14, p.issue);
        insert.bindUtf8(15, day(p.intake.date()));
        insert.bind(16, p.runningIssue);
        insert.bindUtf8(17, money(p.priceRaw));
        insert.bind(18, QStringLiteral("人民币"));
        insert.bind(19, s.lent);
        insert.bind(20, QStringLiteral("正常"));
        insert.bind(21, p.source);
        insert.bind(22, none);
        insert.bind(23, none);
        insert.bind(24, p.registrar);
        insert.bind(25, noPath);
        insert.bind(26, noPath);
        if (!insert.exec(error))
            return false;
    }
    *rows = insert.rows();
    return batches.finish(error);
}

bool LibraryGenerator::Run::readers(QString *error, qint64 *rows)
{
    RowBatches batches(m_db);
    BulkInsert insert(
        m_db, &batches,
        QStringLiteral("insert into 读者库 (读者编号, 读者姓名, 性别, 类别, 单位部门, 住址, "
                       "联系电话, 班级, 院系, 有效证件, 证件号码, 累计借阅次数, 未还数量, "
                       "有效期, 状态, 备注, 密码, 卡内金额, 登记人, CardId, 登记日期, py, pic, "
                       "TmpA) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, NULL, ?, "
                       "?, ?, ?, ?, ?, NULL, ?)"));
    BulkInsert income(m_db, &batches,
                      QStringLiteral("insert into 收入 (项目, 时间, 读者编号, 读者姓名, 金额, "
                                     "管理员, 备注) values (?, ?, ?, ?, ?, ?, ?)"));
    if (!insert.ok(error) || !income.ok(error))
        return false;
    const QVector<ReaderCategory> &cats = readerCategories();
    const QVariant none = nullText();
    const QVariant password = QString::fromLatin1(DefaultPassword);
    const QVariant topUp = QStringLiteral("充值");
    const qint64 span = m_firstLoanDay.daysTo(m_o.today);
    GeneratorRandom r(m_o.seed ^ 0x494E434F4D45ULL);
    for (int i = 0; i < m_size.readers; ++i) {
        const Reader d = reader(m_o.seed, i, m_firstLoanDay);
        const ReaderState &s = m_readers[i];
        const QString moment = d.registered.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        // The account is opened with a first payment; more follows whenever rent and fines
        // have used it up, so that no balance is below zero.
        qint64 balance = 0;
        auto pay = [&](const QDateTime &when, qint64 raw, const QVariant &item,
                       const QVariant &note) {
            income.bind(0, item);
            income.bind(1, sqlDateTime(when));
            income.bind(2, d.number);
            income.bind(3, d.name.text);
            income.bindUtf8(4, money(raw));
            income.bind(5, d.registrar);
            income.bind(6, note);
            return income.exec(error);
        };
        const qint64 first = (cats[d.category].days > 30 ? 100 : 50) * Money::kScale;
        if (!pay(d.registered, first, topUp, none))
            return false;
        balance += first;
        int extra = 0;
        while (balance < s.chargesRaw) {
            const qint64 raw = 100 * Money::kScale;
            ++extra;
            const QDate when = m_firstLoanDay.addDays(span * extra / (extra + 4));
            if (!pay(QDateTime(when, QTime(r.between(8, 17), r.below(60))), raw, topUp, none))
                return false;
            balance += raw;
        }
        if (r.chance(0.01) &&
            !pay(QDateTime(m_o.today.addDays(-r.below(300)), QTime(10, 0)), 5 * Money::kScale,
                 QStringLiteral("补卡"), QStringLiteral("补办借阅证")))
            return false;

        insert.bind(0, d.number);
        insert.bind(1, d.name.text);
        insert.bind(2, d.sex);
        insert.bind(3, cats[d.category].name);
        insert.bind(4, d.department);
        insert.bind(5, d.address);
        insert.bind(6, d.phone);
        insert.bind(7, textOrNull(d.className));
        insert.bind(8, textOrNull(d.faculty));
        insert.bind(9, d.document);
        insert.bind(10, d.documentNumber);
        insert.bind(11, s.loans);
        insert.bind(12, static_cast<int>(s.open));
        insert.bindUtf8(13, day(d.validUntil));
        insert.bind(14, d.suspended ? QStringLiteral("停用") : QStringLiteral("正常"));
        insert.bind(15, password);
        insert.bindUtf8(16, money(balance - s.chargesRaw));
        insert.bind(17, d.registrar);
        insert.bind(18, textOrNull(d.cardId));
        insert.bind(19, sqlDateTime(d.registered));
        insert.bind(20, d.name.py);
        insert.bind(21, moment + QStringLiteral("+A"));
        if (!insert.exec(error))
            return false;
    }
    *rows = insert.rows() + income.rows();
    return batches.finish(error);
}

bool LibraryGenerator::Run::indexes(QString *error, qint64 *rows)
{
    for (const QString &sql : Schema::createStatements(SqlDialect::Embedded)) {
        if (!sql.startsWith(QLatin1String("create index")))
            continue;
        if (!run(sql, error))
            return false;
        ++*rows;
    }
    // The search indexes, built from the rows now there instead of row by row.
    QStringList notes;
    if (!ContainsIndex::ensure(m_db, SqlDialect::Embedded, &notes, error))
        return false;
    if (!notes.isEmpty()) {
        *error = notes.join(QLatin1Char('\n'));
        return false;
    }
    *rows += ContainsIndex::indexed().size();
    return true;
}

LibraryGenerator::LibraryGenerator(QSqlDatabase db)
    : LibraryGenerator(std::move(db), Options())
{}

LibraryGenerator::LibraryGenerator(QSqlDatabase db, Options options)
    : m_db(std::move(db))
    , m_options(std::move(options))
{}

bool LibraryGenerator::generate(const Size &size, QString *error)
{
    QString dummy;
    Run run(m_db, m_options, size, m_report);
    return run.execute(error ? error : &dummy);
}

LibraryGenerator::Size LibraryGenerator::demoSize()
{
    Size s;
    s.books = 200;
    s.periodicals = 20;
    s.readers = 50;
    s.loans = 600;
    return s;
}

bool LibraryGenerator::fillDemo(QSqlDatabase db, QString *error)
{
    return LibraryGenerator(std::move(db)).generate(demoSize(), error);
}
