#include "ImportBatch.h"

#include <QSqlError>

#include <utility>

namespace {

const char *const kSavepoint = "savepoint tsgl_import_row";
const char *const kRelease = "release savepoint tsgl_import_row";
const char *const kRollbackTo = "rollback to savepoint tsgl_import_row";
// The server: the previous row's savepoint released and this row's set in one round trip.
const char *const kNextSavepoint = "release savepoint tsgl_import_row; savepoint tsgl_import_row";

bool isServer(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

} // namespace

ImportBatch::ImportBatch(QSqlDatabase db, int batchSize)
    : m_db(std::move(db))
    , m_batchSize(batchSize > 0    ? batchSize
                  : isServer(m_db) ? kServerRows
                                   : kEmbeddedRows)
    , m_indexing(m_db)
    , m_savepoint(m_db)
    , m_release(m_db)
    , m_rollbackTo(m_db)
{
    // The embedded database parses the savepoint statements once; the server prepares only
    // queries, so there they are sent as text (they are short).
    if (!isServer(m_db)) {
        tuneConnection();
        m_savepoint.prepare(QString::fromLatin1(kSavepoint));
        m_release.prepare(QString::fromLatin1(kRelease));
        m_rollbackTo.prepare(QString::fromLatin1(kRollbackTo));
    }
    m_batchTimer.start();
}

ImportBatch::~ImportBatch()
{
    commit();
    // Back to the connection's own settings (which also removes the held rows' table).
    for (const QString &pragma : std::as_const(m_restore))
        QSqlQuery(m_db).exec(pragma);
}

void ImportBatch::tuneConnection()
{
    // A batch touches pages all over the ten or so indexes of a table: with the default cache
    // of 2 MB they are written out and read back again and again within one batch. The
    // savepoints' journals and the rows held for the search index (HeldIndexing) are kept in
    // memory instead of temporary files, which the database would write at every row. The log
    // is copied into the database every 40 MB instead of every 4 MB, that is not after every
    // batch, each copy with its own wait for the disk.
    const std::pair<const char *, const char *> settings[] = {
        {"cache_size", "-65536"},
        {"temp_store", "2"},
        {"wal_autocheckpoint", "10000"},
    };
    for (const auto &[name, value] : settings) {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("pragma %1").arg(QLatin1String(name))) || !q.next())
            continue;
        const QString old = q.value(0).toString();
        q.finish();
        if (old == QLatin1String(value) ||
            !q.exec(QStringLiteral("pragma %1=%2").arg(QLatin1String(name), QLatin1String(value))))
            continue;
        m_restore << QStringLiteral("pragma %1=%2").arg(QLatin1String(name), old);
    }
}

bool ImportBatch::begin(QString *error)
{
    if (m_transaction && m_transaction->isActive())
        return true;
    // Begins immediate on the embedded database: the batch writes, so it takes the write
    // lock at once rather than upgrading a read lock midway.
    m_transaction = std::make_unique<Transaction>(m_db, QString());
    m_batchTimer.restart();
    if (!m_transaction->isActive()) {
        if (error)
            *error = m_transaction->error();
        m_transaction.reset();
        return false;
    }
    if (!m_indexing.hold(error)) {
        m_transaction->rollback();
        m_transaction.reset();
        m_indexing.forget();
        return false;
    }
    return true;
}

bool ImportBatch::control(QSqlQuery &query, const char *sql, QString *error)
{
    const bool ok = isServer(m_db) ? query.exec(QString::fromLatin1(sql)) : query.exec();
    if (!ok && error)
        *error = Statement::lastError(query);
    return ok;
}

PreparedStatement *ImportBatch::prepared(const QString &sql, QString *error)
{
    auto it = m_prepared.find(sql);
    if (it != m_prepared.end())
        return it->second.get();
    auto statement = std::make_unique<PreparedStatement>(m_db, sql);
    // Not kept when it cannot be prepared: the next row tries again and reports the same reason.
    if (!statement->ok(error))
        return nullptr;
    return m_prepared.emplace(sql, std::move(statement)).first->second.get();
}

bool ImportBatch::runOne(const Statement &statement, QString *error)
{
    if (statement.values().isEmpty()) {
        QSqlQuery query(m_db);
        if (query.exec(statement.sql()))
            return true;
        if (error)
            *error = Statement::lastError(query);
        return false;
    }
    PreparedStatement *prepared = this->prepared(statement.sql(), error);
    if (!prepared)
        return false;
    const QVariantList &values = statement.values();
    for (int i = 0; i < values.size(); ++i)
        prepared->bind(i, values.at(i));
    return prepared->exec(error);
}

void ImportBatch::abandon(const QString &reason)
{
    m_savepointSet = false;
    if (m_pending > 0)
        m_commitError = reason;
    m_lost += m_pending;
    m_pending = 0;
    if (m_transaction)
        m_transaction->rollback();
    m_transaction.reset();
    m_indexing.forget();
}

bool ImportBatch::write(const Statement &statement, QString *error)
{
    return write(QVector<Statement>{statement}, error);
}

bool ImportBatch::write(const QVector<Statement> &statements, QString *error)
{
    // Each round trip to a server counts, so there a row's savepoint stays set after the row
    // and is released together with setting the next row's: two round trips per row instead
    // of three. The embedded database releases it at once.
    const bool server = isServer(m_db);
    QString reason;
    const bool began = begin(&reason);
    const char *savepoint = server && m_savepointSet ? kNextSavepoint : kSavepoint;
    if (!began || !control(m_savepoint, savepoint, &reason)) {
        // Nothing of this row was written; a transaction that cannot even set a savepoint is
        // broken, so the rows before it are given up and the next row begins afresh.
        abandon(reason);
        ++m_refused;
        if (error)
            *error = reason;
        return false;
    }
    m_savepointSet = true;
    for (const Statement &statement : statements) {
        if (runOne(statement, &reason))
            continue;
        QString ignored;
        if (!control(m_rollbackTo, kRollbackTo, &ignored) ||
            (!server && !control(m_release, kRelease, &ignored))) {
            // The database ended the whole transaction itself (the embedded database does so
            // on a full disk or an I/O error).
            abandon(reason);
        } else if (!server) {
            m_savepointSet = false;
        }
        ++m_refused;
        if (error)
            *error = reason;
        return false;
    }
    if (!server) {
        if (!control(m_release, kRelease, &reason)) {
            abandon(reason);
            ++m_refused;
            if (error)
                *error = reason;
            return false;
        }
        m_savepointSet = false;
    }
    ++m_pending;
    // The row itself was accepted; a failed commit is reported through rowsLost() and
    // commitError(), for the whole batch it took with it.
    if (m_pending >= m_batchSize || m_batchTimer.elapsed() >= kBatchMilliseconds)
        commit();
    return true;
}

bool ImportBatch::commit(QString *error)
{
    if (!m_transaction)
        return true;
    QString reason;
    // The held rows are indexed inside the batch's transaction: committed with it or not at all.
    bool ok = m_indexing.catchUp(&reason);
    ok = ok && m_transaction->commit(&reason);
    if (!ok)
        m_transaction->rollback();
    m_transaction.reset();
    m_indexing.forget();
    m_savepointSet = false;
    if (!ok) {
        m_lost += m_pending;
        m_pending = 0;
        m_commitError = reason;
        if (error)
            *error = reason;
        return false;
    }
    m_committed += m_pending;
    m_pending = 0;
    return true;
}
