// Internal to the database connection: the embedded database through SQLite's own
// library. Not installed.

#pragma once

#include "suiteframe/adodb/cursor_p.h"
#include "suiteframe/adodb/errors.h"
#include "suiteframe/adodb/sqlitetypes_p.h"

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <QUtf8StringView>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The embedded database read and written through SQLite's C API, on the calling thread:
// SQLite itself waits for a lock another program holds, until the connection's or the
// command's deadline, and ends a statement that runs past the command's time-out.
namespace adodb::sqliteprovider {

class Statement;

// An open database file.
class Session : public std::enable_shared_from_this<Session>
{
public:
    // Opens the database of the connection string's Database attribute (a path, or a
    // "file:" URI), creating it unless NoCreat says not to, with the foreign keys
    // (FKSupport), journal mode (JournalMode) and syncing (SyncPragma) it asks for;
    // what the string leaves out its data source (DSN) may give. A database another
    // program holds locked is waited for no longer than connectionTimeout seconds (0: no
    // limit). A failure's records go to errors, which the connection shares.
    Session(const QString &connectionString,
            const QStringList &secrets,
            qint32 connectionTimeout,
            std::shared_ptr<Errors> errors);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    bool isOpen() const { return m_db != nullptr; }
    // Ends the statements still open, then closes the file.
    void close();
    // Whether a transaction is open. SQLite ends one itself where a statement in it is
    // interrupted, or fails with ROLLBACK as its way out.
    bool inTransaction() const;
    // Undoes the transaction open, whatever SQLite answers.
    void rollbackQuietly() noexcept;
    // Throws the failure of a statement run where the program holds a transaction open
    // that SQLite has ended itself: it would run on its own, outside the transaction.
    [[noreturn]] void failTransactionEnded() const;

    // Prepares the statement, binds the parameters to its ? markers in order, and runs its
    // first step within commandTimeout seconds (0: no limit); the rows that an INSERT,
    // UPDATE or DELETE changed go to affected (0 for a statement of any other kind).
    std::unique_ptr<Statement> execute(const QString &sql,
                                       qint32 commandTimeout,
                                       qint32 *affected,
                                       const std::vector<platform::Value> &parameters = {});

private:
    friend class Statement;
    // The handlers' bounds for a call on the database: the command's time-out from the
    // call's start, and a lock waited for until then or a log-in's time-out, whichever is
    // first.
    void beginCall(qint32 timeoutSeconds);
    QDeadlineTimer deadline();
    bool deadlinePassed() const;
    static int onBusy(void *session, int count);
    static int onProgress(void *session);
    static Error record(int code, const QString &description);
    void bind(sqlite3_stmt *prepared, const std::vector<platform::Value> &parameters);
    // The failure of the last call on the database, with SQLite's code.
    Error failureOf(int code) const;
    [[noreturn]] void fail(int code) const;
    [[noreturn]] void failWith(const Error &error) const;

    sqlite3 *m_db = nullptr;
    QStringList m_secrets;
    std::shared_ptr<Errors> m_errors;
    // The call's deadline once started, and the end of a wait for a lock another program
    // holds: no later than the call's, nor than a log-in's time-out from the wait's start.
    bool m_deadlineStarted = false;
    QDeadlineTimer m_deadline = QDeadlineTimer(QDeadlineTimer::Forever);
    QDeadlineTimer m_busyDeadline = QDeadlineTimer(QDeadlineTimer::Forever);
    qint32 m_lockWaitSeconds = 0;
    qint32 m_timeoutSeconds = 0;
    bool m_timedOut = false;
    std::vector<Statement *> m_statements;
};

// A statement's rows, stepped forward.
class Statement final : public Cursor
{
public:
    // Each step of the statement takes no longer than the command's time-out: the time the
    // program spends between steps is its own.
    Statement(std::shared_ptr<Session> session, sqlite3_stmt *statement, qint32 commandTimeout);
    ~Statement() override;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isOpen() const override { return !m_finalized; }
    int columnCount() const override { return int(m_names.size()); }
    QString columnName(int index) const override { return m_names[index]; }
    // Steps to the next row; false at the end, where the statement lets the database go.
    bool step() override;
    bool isOnRow() const override { return m_onRow; }
    platform::Value value(int index) const override;
    // The cell as SQLite holds it where that reads as value() does; Other for rows read
    // ahead and where value() would fail (no row, an index out of range).
    StoredField storedField(int index) const override;
    void finalize();
    // Reads the rows from the current one to the end, letting the database go; the
    // statement then answers them as it steps.
    void readTheRest();

private:
    // One step of SQLite's, bounded by this statement's deadline.
    int stepWithinDeadline();
    void describe();
    std::vector<platform::Value> currentRow() const;
    // Once the program has left the statement part-way for a moment, back in its event
    // loop, the rest of the rows are read and the statement lets the database go: a
    // recordset left open must not make another program's save wait.
    void letGoWhenIdle();

    std::shared_ptr<Session> m_session;
    sqlite3_stmt *m_statement;
    qint32 m_commandTimeout;
    bool m_described = false;
    bool m_onRow = false;
    bool m_finalized = false;
    // The rows read ahead once the program went idle, the current one first; a step
    // that failed while reading ahead is told when its row would have come.
    bool m_readAhead = false;
    bool m_letGoScheduled = false;
    quint64 m_steps = 0;
    std::vector<platform::Value> m_current;
    std::deque<std::vector<platform::Value>> m_ahead;
    std::optional<Error> m_failedAhead;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::vector<QString> m_names;
    std::vector<sqlitetypes::Kind> m_kinds;
};

} // namespace adodb::sqliteprovider
