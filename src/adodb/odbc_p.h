// Internal to the database connection: a RAII layer over the ODBC driver manager's C
// API. Not installed.

#pragma once

#include "suiteframe/adodb/errors.h"
#include "suiteframe/platform/value.h"

#include <QString>
#include <QStringList>

#include <sql.h>
#include <sqlext.h>

#include <deque>
#include <locale.h>
#include <memory>
#include <vector>

// A thin RAII layer over the ODBC driver manager's C API: each handle is freed by its
// owner, a connection frees its statements before it disconnects, and every failing
// call becomes a platform::RuntimeError carrying the driver's diagnostics, whose records
// the connection keeps as its Errors.
namespace adodb::odbc {

// How texts cross to a driver. The driver manager converts the wide calls' UTF-16 for a
// driver without wide-character calls through UCS-2, which loses every character outside
// the basic multilingual plane; such a driver takes UTF-8 through the narrow calls as is.
// Diagnostics stay wide calls: the driver manager has converted them already.
enum class TextCalls { Wide, NarrowUtf8 };

// The diagnostic records of a handle.
Errors diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, TextCalls calls = TextCalls::Wide);

// When rc reports a failure, keeps the handle's diagnostics in errors and throws them
// (adodb::throwProviderFailure), each of the secrets (connection string, password) masked.
void check(SQLRETURN rc,
           SQLSMALLINT handleType,
           SQLHANDLE handle,
           Errors &errors,
           const QStringList &secrets,
           TextCalls calls = TextCalls::Wide);

// Text in the driver manager's wide characters (UTF-16 in unixODBC).
std::vector<SQLWCHAR> toWide(const QString &text);
QString fromWide(const SQLWCHAR *text, qsizetype length);

// Makes this thread's character set UTF-8 for the scope's life. For a driver without
// wide-character calls the driver manager converts our UTF-16 text to the character set
// of the locale it finds when it sets the connection up, and keeps that for the
// connection's life; UTF-8 carries every character whatever the process's locale.
class Utf8CharacterSet
{
public:
    Utf8CharacterSet();
    ~Utf8CharacterSet();
    Utf8CharacterSet(const Utf8CharacterSet &) = delete;
    Utf8CharacterSet &operator=(const Utf8CharacterSet &) = delete;

private:
    locale_t m_locale;
    locale_t m_previous;
};

// One allocated handle of any type.
class Handle
{
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle();
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    bool isNull() const { return m_handle == SQL_NULL_HANDLE; }
    void free();

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// The process's ODBC 3 environment, shared by all connections alive.
class Environment
{
public:
    static std::shared_ptr<Environment> shared();
    Environment();
    SQLHENV get() const { return m_handle.get(); }

private:
    Handle m_handle;
};

class Statement;

// A connection handle; connected once connect() succeeds.
class Dbc
{
public:
    // A failure's records go to errors, which the connection shares.
    explicit Dbc(std::shared_ptr<Errors> errors);
    ~Dbc();
    Dbc(const Dbc &) = delete;
    Dbc &operator=(const Dbc &) = delete;

    SQLHDBC get() const { return m_handle.get(); }
    const QStringList &secrets() const { return m_secrets; }
    Errors &errors() const { return *m_errors; }

    void setAttribute(SQLINTEGER attribute, SQLULEN value);
    // SQLDriverConnect without prompting; the string reaches the driver manager as is,
    // in the text calls that carry it to the driver intact.
    void connect(const QString &connectionString, const QStringList &secrets);
    bool isConnected() const { return m_connected; }
    // Known once connected.
    TextCalls textCalls() const { return m_textCalls; }
    // A transaction: automatic commits off until it is ended.
    void beginTransaction();
    // Commits (SQL_COMMIT) or rolls back (SQL_ROLLBACK), then commits automatically again.
    void endTransaction(SQLSMALLINT completion);
    void rollbackQuietly() noexcept;
    // Frees the statements still open on this connection, rolls back a transaction open,
    // then disconnects.
    void disconnect();

private:
    friend class Statement;
    void attach(Statement *statement);
    void detach(Statement *statement);
    TextCalls connectCalls(const QString &connectionString);
    SQLRETURN driverConnect(const QString &connectionString, TextCalls calls);
    TextCalls probeTextCalls() const;

    std::shared_ptr<Environment> m_environment;
    std::shared_ptr<Errors> m_errors;
    Handle m_handle;
    bool m_connected = false;
    bool m_inTransaction = false;
    TextCalls m_textCalls = TextCalls::Wide;
    QStringList m_secrets;
    std::vector<Statement *> m_statements;
};

// A statement handle of a connection. When the connection is closed under it, the
// handle is freed and any further use throws the "object closed" error.
class Statement
{
public:
    explicit Statement(std::shared_ptr<Dbc> connection);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isOpen() const { return !m_handle.isNull(); }
    // The handle; throws when the statement has been closed with its connection.
    SQLHSTMT get() const;
    void check(SQLRETURN rc) const;
    TextCalls textCalls() const { return m_connection->textCalls(); }
    void setAttribute(SQLINTEGER attribute, SQLULEN value);
    // Seconds a statement may run; 0 is no limit.
    void setQueryTimeout(qint32 seconds);
    // Runs the statement; with parameters, it is prepared and they are bound to its ?
    // markers in order.
    void execute(const QString &sql, const std::vector<platform::Value> &parameters = {});
    // Fetches the next row of a query's result, answering SQLFetch's return code.
    SQLRETURN fetch();
    // The rows the last statement changed; -1 where the driver cannot tell.
    qint32 rowCount() const;
    void free();

private:
    SQLRETURN executeDirect(const QString &sql);
    void prepare(const QString &sql);
    void bind(SQLUSMALLINT marker, const platform::Value &value);

    std::shared_ptr<Dbc> m_connection;
    Handle m_handle;
    // The bound parameters' data and lengths, kept until the statement has run.
    std::deque<QByteArray> m_parameterData;
    std::deque<SQLLEN> m_parameterLengths;
};

} // namespace adodb::odbc
