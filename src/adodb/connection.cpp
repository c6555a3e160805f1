#include "adodb/connection.h"

#include "adodb/errors.h"
#include "adodb/odbc.h"
#include "adodb/queryrecordset.h"

namespace adodb {

namespace {

void requireSeconds(qint32 seconds)
{
    if (seconds < 0)
        throw invalidArgumentError();
}

// An attribute value in braces, so that ';' and '=' inside it stay part of it.
QString braced(const QString &value)
{
    QString escaped = value;
    escaped.replace(u'}', QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

} // namespace

Connection::Connection() = default;

Connection::~Connection() = default;

void Connection::setConnectionTimeout(qint32 seconds)
{
    requireClosed();
    requireSeconds(seconds);
    m_connectionTimeout = seconds;
}

void Connection::setCommandTimeout(qint32 seconds)
{
    requireSeconds(seconds);
    m_commandTimeout = seconds;
}

void Connection::setConnectionString(const QString &connectionString)
{
    requireClosed();
    m_connectionString = connectionString;
}

void Connection::Open(const QString &userId, const QString &password, qint32 options)
{
    requireClosed();
    if (options != adConnectUnspecified && options != 0)
        throw invalidArgumentError();

    // The driver manager takes the first of repeated attributes, so the given log-in
    // goes in front of the caller's string.
    QString connectionString = m_connectionString;
    QStringList secrets = odbc::secretsOf(m_connectionString);
    if (!password.isEmpty()) {
        connectionString.prepend(QStringLiteral("PWD=%1;").arg(braced(password)));
        secrets << password << braced(password);
    }
    if (!userId.isEmpty())
        connectionString.prepend(QStringLiteral("UID=%1;").arg(braced(userId)));
    if (connectionString != m_connectionString)
        secrets << connectionString;

    const odbc::Utf8CharacterSet utf8;
    auto dbc = std::make_shared<odbc::Dbc>();
    dbc->setAttribute(SQL_ATTR_LOGIN_TIMEOUT, SQLULEN(m_connectionTimeout));
    // Bounds later waits for the server as well, where the driver offers it.
    dbc->setOptionalAttribute(SQL_ATTR_CONNECTION_TIMEOUT, SQLULEN(m_connectionTimeout));
    dbc->connect(connectionString, secrets);
    m_dbc = std::move(dbc);
}

qint32 Connection::State() const
{
    return m_dbc && m_dbc->isConnected() ? adStateOpen : adStateClosed;
}

void Connection::Close()
{
    if (State() != adStateOpen)
        throw objectClosedError();
    m_dbc->disconnect();
    m_dbc.reset();
}

std::unique_ptr<QueryRecordset> Connection::Execute(const QString &sql)
{
    if (State() != adStateOpen)
        throw objectClosedError();
    auto statement = std::make_unique<odbc::Statement>(m_dbc);
    statement->setAttribute(SQL_ATTR_QUERY_TIMEOUT, SQLULEN(m_commandTimeout));
    statement->execute(sql);
    return std::make_unique<QueryRecordset>(std::move(statement));
}

void Connection::requireClosed() const
{
    if (State() == adStateOpen)
        throw objectOpenError();
}

} // namespace adodb
