#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>

// One statement prepared once and run many times with new values: the writer of bulk work
// (imports, generated libraries). On the embedded database the values go straight to the
// database library through the connection's own handle: binding through QSqlQuery costs
// several times the insert itself when a row has thirty values. Elsewhere it is a QSqlQuery.
class PreparedStatement {
public:
    PreparedStatement(const QSqlDatabase &db, const QString &sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement &) = delete;
    PreparedStatement &operator=(const PreparedStatement &) = delete;

    // False with the database's message when the statement could not be prepared.
    bool ok(QString *error = nullptr) const;
    // Binds the value of the placeholder at index (0-based); a null variant or text is NULL.
    void bind(int index, const QVariant &value);
    void bind(int index, const QString &text);
    void bind(int index, int number);
    // UTF-8 text that stays unchanged until exec() (a cached value); a null array is NULL.
    void bindUtf8(int index, const QByteArray &utf8);
    // Runs the statement with the values bound; false with the database's message.
    bool exec(QString *error = nullptr);

    class Backend;

private:
    std::unique_ptr<Backend> m_backend;
};
