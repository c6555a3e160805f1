// The database connection over ODBC: its time-outs, opening with a log-in, closing,
// and running a statement into a query recordset.

#include "suiteframe/adodb/connection.h"

#include "suiteframe/adodb/connectionstring_p.h"
#include "suiteframe/adodb/driverlibrary_p.h"
#include "suiteframe/adodb/errors.h"
#include "suiteframe/adodb/odbc_p.h"
#include "suiteframe/adodb/odbccursor_p.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/adodb/sqliteprovider_p.h"

namespace adodb {

namespace {

void requireSeconds(qint32 seconds)
{
    if (seconds < 0)
        throw invalidArgumentError();
}

// The database as a "file:" URI that SQLite opens only to read: a path with what a URI
// reads as escapes escaped, or a URI as given, with its mode parameter now ro.
QString readOnlyUri(const QString &database)
{
    QString uri;
    QStringList parameters;
    if (database.startsWith(u"file:", Qt::CaseInsensitive)) {
        uri = database.section(u'#', 0, 0); // a fragment means nothing to SQLite
        if (const qsizetype query = uri.indexOf(u'?'); query >= 0) {
            for (const QString &parameter : uri.mid(query + 1).split(u'&', Qt::SkipEmptyParts))
                if (!parameter.startsWith(u"mode="))
                    parameters << parameter;
            uri.truncate(query);
        }
    } else {
        // SQLite reads a URI's path with %-escapes; a path that starts with two slashes
        // would name a host.
        QString path = database;
        path.replace(u'%', QStringLiteral("%25"))
            .replace(u'?', QStringLiteral("%3f"))
            .replace(u'#', QStringLiteral("%23"));
        while (path.startsWith(QStringLiteral("//")))
            path.remove(0, 1);
        uri = QStringLiteral("file:") + path;
    }
    parameters << QStringLiteral("mode=ro");
    return uri + u'?' + parameters.join(u'&');
}

} // namespace

QString withReadOnlyAccess(const QString &connectionString)
{
    if (!driverlibrary::isEmbeddedDatabase(connectionString))
        return connectionString;
    // The database may come from the string's data source; the string then names it
    // itself, so that it is the one opened read-only.
    const QString database = driverlibrary::attributeOrDataSources(connectionString,
                                                                   QStringLiteral("Database"));
    if (database.isEmpty())
        return connectionString;
    return connectionstring::withAttributes(connectionString,
                                            {QStringLiteral("Database"), QStringLiteral("NoCreat")},
                                            {{QStringLiteral("Database"), readOnlyUri(database)},
                                             {QStringLiteral("NoCreat"), QStringLiteral("1")}});
}

Connection::Connection()
    : m_errors(std::make_shared<adodb::Errors>())
{}

Connection::~Connection()
{
    rollbackQuietly();
}

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
    if (options != ConnectUnspecified && options != 0)
        throw invalidArgumentError();
    connectionstring::requireOneReading(m_connectionString);

    // A log-in given here takes the place of the one in the string; drivers differ in
    // which of repeated attributes they take, so the string's own are left out.
    QString connectionString = m_connectionString;
    QStringList secrets = connectionstring::secretsOf(m_connectionString);
    if (!userId.isEmpty() || !password.isEmpty()) {
        QStringList removed;
        connectionstring::Attributes added;
        if (!userId.isEmpty()) {
            removed << QStringLiteral("UID") << QStringLiteral("USER")
                    << QStringLiteral("USERNAME");
            added.emplace_back(QStringLiteral("UID"), userId);
        }
        if (!password.isEmpty()) {
            removed << QStringLiteral("PWD") << QStringLiteral("PASSWORD");
            added.emplace_back(QStringLiteral("PWD"), password);
        }
        connectionString = connectionstring::withAttributes(m_connectionString, removed, added);
        secrets << connectionstring::secretsOf(connectionString);
    }

    m_errors->clear();
    if (driverlibrary::isEmbeddedDatabase(connectionString)) {
        connectionString = connectionstring::forEmbeddedDriver(connectionString);
        secrets << connectionstring::secretsOf(connectionString);
        m_sqlite = std::make_shared<sqliteprovider::Session>(connectionString,
                                                             secrets,
                                                             m_connectionTimeout,
                                                             m_errors);
        return;
    }
    const odbc::Utf8CharacterSet utf8;
    auto dbc = std::make_shared<odbc::Dbc>(m_errors);
    // The connection time-out bounds the wait for the server while logging in, and what
    // a command may take is CommandTimeout's.
    dbc->setAttribute(SQL_ATTR_LOGIN_TIMEOUT, SQLULEN(m_connectionTimeout));
    dbc->connect(connectionString, secrets);
    m_dbc = std::move(dbc);
}

qint32 Connection::State() const
{
    const bool open = m_sqlite ? m_sqlite->isOpen() : m_dbc && m_dbc->isConnected();
    return open ? StateOpen : StateClosed;
}

void Connection::Close()
{
    if (State() != StateOpen)
        throw objectClosedError();
    rollbackQuietly();
    if (m_sqlite)
        m_sqlite->close();
    else
        m_dbc->disconnect();
    m_sqlite.reset();
    m_dbc.reset();
}

std::unique_ptr<QueryRecordset> Connection::Execute(const QString &sql, qint32 *RecordsAffected)
{
    return execute(sql, {}, RecordsAffected);
}

std::unique_ptr<QueryRecordset> Connection::execute(const QString &sql,
                                                    const std::vector<platform::Value> &parameters,
                                                    qint32 *RecordsAffected)
{
    requireOpen();
    m_errors->clear();
    if (m_sqlite) {
        if (m_transactionLevel > 0 && !m_sqlite->inTransaction())
            m_sqlite->failTransactionEnded();
        return std::make_unique<QueryRecordset>(
            m_sqlite->execute(sql, m_commandTimeout, RecordsAffected, parameters));
    }
    auto statement = std::make_unique<odbc::Statement>(m_dbc);
    statement->setQueryTimeout(m_commandTimeout);
    statement->execute(sql, parameters);
    if (RecordsAffected)
        *RecordsAffected = statement->rowCount();
    return std::make_unique<QueryRecordset>(std::make_unique<odbc::Cursor>(std::move(statement)));
}

qint32 Connection::BeginTrans()
{
    requireOpen();
    if (m_transactionLevel > 0)
        throw platform::RuntimeError(AdoError::NotSupported,
                                     QStringLiteral("交易不能巢狀：請先認可或復原進行中的交易"));
    m_errors->clear();
    if (m_sqlite)
        m_sqlite->execute(QStringLiteral("BEGIN"), m_commandTimeout, nullptr);
    else
        m_dbc->beginTransaction();
    return m_transactionLevel = 1;
}

void Connection::CommitTrans()
{
    endTransaction(true);
}

void Connection::RollbackTrans()
{
    endTransaction(false);
}

void Connection::endTransaction(bool commit)
{
    requireTransaction();
    m_errors->clear();
    if (m_sqlite && !m_sqlite->inTransaction()) {
        // SQLite has ended the transaction itself: nothing is left to roll back, and
        // nothing can be committed.
        m_transactionLevel = 0;
        if (commit)
            m_sqlite->failTransactionEnded();
        return;
    }
    if (m_sqlite)
        m_sqlite->execute(commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"),
                          m_commandTimeout,
                          nullptr);
    else
        m_dbc->endTransaction(commit ? SQL_COMMIT : SQL_ROLLBACK);
    m_transactionLevel = 0;
}

void Connection::rollbackQuietly() noexcept
{
    if (m_transactionLevel == 0 || State() != StateOpen)
        return;
    if (m_sqlite)
        m_sqlite->rollbackQuietly();
    else
        m_dbc->rollbackQuietly();
    m_transactionLevel = 0;
}

void Connection::requireOpen() const
{
    if (State() != StateOpen)
        throw objectClosedError();
}

void Connection::requireTransaction() const
{
    requireOpen();
    if (m_transactionLevel == 0)
        throw platform::RuntimeError(AdoError::NoTransaction,
                                     QStringLiteral("沒有進行中的交易可以認可或復原"));
}

Transaction::Transaction(Connection &connection)
    : m_connection(connection)
{
    m_connection.BeginTrans();
}

Transaction::~Transaction()
{
    if (!m_committed)
        m_connection.rollbackQuietly();
}

void Transaction::commit()
{
    m_connection.CommitTrans();
    m_committed = true;
}

void Connection::requireClosed() const
{
    if (State() == StateOpen)
        throw objectOpenError();
}

} // namespace adodb
