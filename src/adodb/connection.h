// The database connection: the embedded database through SQLite's own library, every
// other database over ODBC.

#pragma once

#include "suiteframe/adodb/errors.h"
#include "suiteframe/platform/value.h"

#include <QString>

#include <memory>
#include <vector>

namespace adodb {

class QueryRecordset;
namespace odbc {
class Dbc;
}
namespace sqliteprovider {
class Session;
}

// The state a connection answers.
enum ObjectState : qint32 { StateClosed = 0, StateOpen = 1 };
// Options of Open: only a synchronous connect is offered.
enum ConnectOption : qint32 { ConnectUnspecified = -1, AsyncConnect = 0x10 };

// A database connection. The connection string is written in ODBC's syntax, e.g.
// "Driver=SQLite3;Database=/path/file.db". A string whose driver is SQLite's (by any of
// its registered names, its library, or a data source of it) opens the embedded
// database through SQLite's own library; every other string goes to the ODBC driver
// manager unchanged.
// Every member may throw platform::RuntimeError with a negative number (adodb/errors.h);
// a provider failure's description holds the provider's records (SQLSTATE, native
// code, message) and never the connection string or a password, and Errors() keeps
// the records themselves for the questions of adodb/errors.h.
class Connection
{
public:
    Connection();
    // Releasing a connection leaves it open for the recordsets still reading from it;
    // the last of them disconnects.
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Seconds to wait for the server while opening; 0 waits without limit. Default 15.
    qint32 ConnectionTimeout() const { return m_connectionTimeout; }
    void setConnectionTimeout(qint32 seconds);
    // Seconds each query may run; 0 is no limit. Default 30.
    qint32 CommandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(qint32 seconds);
    QString ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString &connectionString);

    // Connects. A user name or password given here takes the place of the one in the
    // connection string; with both empty the string alone decides.
    void Open(const QString &userId = QString(),
              const QString &password = QString(),
              qint32 options = ConnectUnspecified);
    // StateOpen or StateClosed.
    qint32 State() const;
    // Disconnects; the recordsets opened on this connection are closed with it.
    void Close();

    // Runs a statement and answers its rows as a forward-only recordset standing on
    // the first row; a statement without a result answers a recordset at its end.
    // RecordsAffected, when given, receives the number of rows that an INSERT, UPDATE
    // or DELETE changed (-1 where the driver cannot tell).
    std::unique_ptr<QueryRecordset> Execute(const QString &sql, qint32 *RecordsAffected = nullptr);

    // A transaction, as ADO's: BeginTrans answers its level (1: transactions do not
    // nest), CommitTrans keeps its changes, RollbackTrans undoes them. A commit that
    // fails leaves the transaction open, to be committed again or rolled back. Closing
    // or releasing the connection with a transaction open rolls it back. (Transaction
    // below does so for a scope.) Where the embedded database has ended the transaction
    // itself (a statement in it interrupted by the command's time-out, or failing with
    // ROLLBACK), no statement runs until RollbackTrans, and CommitTrans fails: nothing of
    // the transaction was kept.
    qint32 BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // The records of the last provider failure on this connection or its recordsets;
    // Open and Execute begin with it empty.
    const adodb::Errors &Errors() const { return *m_errors; }

private:
    friend class Transaction;
    friend class Command;
    std::unique_ptr<QueryRecordset> execute(const QString &sql,
                                            const std::vector<platform::Value> &parameters,
                                            qint32 *RecordsAffected);
    void requireClosed() const;
    void requireOpen() const;
    void requireTransaction() const;
    void endTransaction(bool commit);
    // Undoes an open transaction, failing quietly: for a connection closed or released,
    // where the changes must not stay.
    void rollbackQuietly() noexcept;

    qint32 m_connectionTimeout = 15;
    qint32 m_commandTimeout = 30;
    QString m_connectionString;
    // One of the two: the embedded database through SQLite's own library, every other
    // database through the ODBC driver manager.
    std::shared_ptr<sqliteprovider::Session> m_sqlite;
    std::shared_ptr<odbc::Dbc> m_dbc;
    std::shared_ptr<adodb::Errors> m_errors;
    qint32 m_transactionLevel = 0;
};

// A transaction for a scope: begun as it is made, committed by commit(), and rolled
// back when the scope is left without it, by a failure as much as by a return:
//
//   adodb::Transaction transaction(connection);
//   connection.Execute(...);   // a failure here undoes everything of the transaction
//   connection.Execute(...);
//   transaction.commit();
class Transaction
{
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Connection &m_connection;
    bool m_committed = false;
};

// For a caller that only reads (the message command's card): the connection string with
// an embedded database opened read-only, as a "file:" URI with mode=ro, and never
// created where it is missing (NoCreat). Other drivers' strings stay as they are.
QString withReadOnlyAccess(const QString &connectionString);

} // namespace adodb
