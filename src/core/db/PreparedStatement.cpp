#include "PreparedStatement.h"

#include "Statement.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <dlfcn.h>
#include <limits>
#include <sqlite3.h>

class PreparedStatement::Backend {
public:
    virtual ~Backend() = default;
    virtual bool ok(QString *error) const = 0;
    virtual void bind(int index, const QVariant &value) = 0;
    virtual void bind(int index, const QString &text) = 0;
    virtual void bind(int index, int number) = 0;
    virtual void bindUtf8(int index, const QByteArray &utf8) = 0;
    virtual bool exec(QString *error) = 0;
};

namespace {

class QueryBackend : public PreparedStatement::Backend {
public:
    QueryBackend(const QSqlDatabase &db, const QString &sql)
        : m_query(db)
    {
        m_prepared = m_query.prepare(sql);
    }
    bool ok(QString *error) const override
    {
        if (!m_prepared && error)
            *error = Statement::lastError(m_query);
        return m_prepared;
    }
    void bind(int index, const QVariant &value) override { m_query.bindValue(index, value); }
    void bind(int index, const QString &text) override { m_query.bindValue(index, text); }
    void bind(int index, int number) override { m_query.bindValue(index, number); }
    void bindUtf8(int index, const QByteArray &utf8) override
    {
        m_query.bindValue(index, utf8.isNull() ? QVariant(QMetaType(QMetaType::QString))
                                               : QVariant(QString::fromUtf8(utf8)));
    }
    bool exec(QString *error) override
    {
        if (m_query.exec())
            return true;
        if (error)
            *error = Statement::lastError(m_query);
        return false;
    }

private:
    QSqlQuery m_query;
    bool m_prepared = false;
};

// The functions of the SQLite library that the Qt driver has loaded.
struct SqliteApi {
    decltype(&sqlite3_prepare16_v2) prepare = nullptr;
    decltype(&sqlite3_bind_text16) bindText = nullptr;
    decltype(&sqlite3_bind_text) bindUtf8 = nullptr;
    decltype(&sqlite3_bind_blob) bindBlob = nullptr;
    decltype(&sqlite3_bind_int64) bindInt = nullptr;
    decltype(&sqlite3_bind_double) bindDouble = nullptr;
    decltype(&sqlite3_bind_null) bindNull = nullptr;
    decltype(&sqlite3_step) step = nullptr;
    decltype(&sqlite3_reset) reset = nullptr;
    decltype(&sqlite3_finalize) finalize = nullptr;
    decltype(&sqlite3_errmsg16) errmsg = nullptr;

    static const SqliteApi *get()
    {
        static const SqliteApi api = [] {
            SqliteApi a;
            void *lib = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
            if (!lib)
                return a;
            auto f = [lib](auto *target, const char *name) {
                *target =
                    reinterpret_cast<std::remove_pointer_t<decltype(target)>>(dlsym(lib, name));
                return *target != nullptr;
            };
            const bool all =
                f(&a.prepare, "sqlite3_prepare16_v2") && f(&a.bindText, "sqlite3_bind_text16") &&
                f(&a.bindUtf8, "sqlite3_bind_text") && f(&a.bindBlob, "sqlite3_bind_blob") &&
                f(&a.bindInt, "sqlite3_bind_int64") && f(&a.bindDouble, "sqlite3_bind_double") &&
                f(&a.bindNull, "sqlite3_bind_null") && f(&a.step, "sqlite3_step") &&
                f(&a.reset, "sqlite3_reset") && f(&a.finalize, "sqlite3_finalize") &&
                f(&a.errmsg, "sqlite3_errmsg16");
            if (!all)
                a.prepare = nullptr;
            return a;
        }();
        return api.prepare ? &api : nullptr;
    }
};

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (db.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

class SqliteBackend : public PreparedStatement::Backend {
public:
    SqliteBackend(const SqliteApi *api, sqlite3 *db, const QString &sql)
        : m_api(api)
        , m_db(db)
    {
        if (m_api->prepare(m_db, sql.utf16(), -1, &m_stmt, nullptr) != SQLITE_OK)
            m_error = lastError();
    }
    ~SqliteBackend() override
    {
        if (m_stmt)
            m_api->finalize(m_stmt);
    }
    bool ok(QString *error) const override
    {
        if (m_stmt)
            return true;
        if (error)
            *error = m_error;
        return false;
    }
    void bind(int index, const QVariant &value) override
    {
        if (value.isNull()) {
            m_api->bindNull(m_stmt, index + 1);
            return;
        }
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool:
            m_api->bindInt(m_stmt, index + 1, value.toLongLong());
            break;
        case QMetaType::Double:
            m_api->bindDouble(m_stmt, index + 1, value.toDouble());
            break;
        case QMetaType::ULongLong:
            if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
                bind(index, value.toString());
            else
                m_api->bindInt(m_stmt, index + 1, value.toLongLong());
            break;
        case QMetaType::QString:
            bind(index, *static_cast<const QString *>(value.constData()));
            break;
        case QMetaType::QByteArray: {
            const QByteArray *bytes = static_cast<const QByteArray *>(value.constData());
            m_api->bindBlob(m_stmt, index + 1, bytes->constData(), static_cast<int>(bytes->size()),
                            SQLITE_TRANSIENT);
            break;
        }
        default:
            bind(index, value.toString());
            break;
        }
    }
    void bind(int index, const QString &text) override
    {
        if (text.isNull())
            m_api->bindNull(m_stmt, index + 1);
        else
            m_api->bindText(m_stmt, index + 1, text.utf16(), static_cast<int>(text.size() * 2),
                            SQLITE_TRANSIENT);
    }
    void bind(int index, int number) override { m_api->bindInt(m_stmt, index + 1, number); }
    void bindUtf8(int index, const QByteArray &utf8) override
    {
        if (utf8.isNull())
            m_api->bindNull(m_stmt, index + 1);
        else
            m_api->bindUtf8(m_stmt, index + 1, utf8.constData(), static_cast<int>(utf8.size()),
                            SQLITE_STATIC);
    }
    bool exec(QString *error) override
    {
        const int rc = m_api->step(m_stmt);
        m_api->reset(m_stmt);
        // A statement that returns rows ran too; its rows are not wanted here.
        if (rc == SQLITE_DONE || rc == SQLITE_ROW)
            return true;
        if (error)
            *error = lastError();
        return false;
    }

private:
    QString lastError() const
    {
        return QString::fromUtf16(static_cast<const char16_t *>(m_api->errmsg(m_db)));
    }

    const SqliteApi *m_api;
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_error;
};

} // namespace

PreparedStatement::PreparedStatement(const QSqlDatabase &db, const QString &sql)
{
    const SqliteApi *api = SqliteApi::get();
    sqlite3 *handle = sqliteHandle(db);
    if (api && handle)
        m_backend = std::make_unique<SqliteBackend>(api, handle, sql);
    else
        m_backend = std::make_unique<QueryBackend>(db, sql);
}

PreparedStatement::~PreparedStatement() = default;

bool PreparedStatement::ok(QString *error) const
{
    return m_backend->ok(error);
}

void PreparedStatement::bind(int index, const QVariant &value)
{
    m_backend->bind(index, value);
}

void PreparedStatement::bind(int index, const QString &text)
{
    m_backend->bind(index, text);
}

void PreparedStatement::bind(int index, int number)
{
    m_backend->bind(index, number);
}

void PreparedStatement::bindUtf8(int index, const QByteArray &utf8)
{
    m_backend->bindUtf8(index, utf8);
}

bool PreparedStatement::exec(QString *error)
{
    return m_backend->exec(error);
}
