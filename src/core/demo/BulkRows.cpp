#include "BulkRows.h"

#include <QSqlError>

RowBatches::RowBatches(QSqlDatabase db)
    : m_db(std::move(db))
{}

RowBatches::~RowBatches()
{
    if (m_open)
        m_db.rollback();
}

bool RowBatches::begin(QString *error)
{
    if (m_open)
        return true;
    m_open = m_db.transaction();
    if (!m_open && error)
        *error = m_db.lastError().text();
    return m_open;
}

bool RowBatches::rowDone(QString *error)
{
    if (++m_rows % kRows == 0)
        return finish(error);
    return true;
}

bool RowBatches::finish(QString *error)
{
    if (!m_open)
        return true;
    m_open = false;
    if (!m_db.commit()) {
        if (error)
            *error = m_db.lastError().text();
        m_db.rollback();
        return false;
    }
    return true;
}

BulkInsert::BulkInsert(QSqlDatabase db, RowBatches *batches, const QString &sql)
    : m_statement(db, sql)
    , m_batches(batches)
{}

bool BulkInsert::exec(QString *error)
{
    if (!m_batches->begin(error))
        return false;
    if (!m_statement.exec(error))
        return false;
    ++m_rows;
    return m_batches->rowDone(error);
}
