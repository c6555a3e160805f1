// The embedded database through SQLite's own library: opening, lock waits and command
// time-outs kept by SQLite's own handlers, statements stepped on the calling thread.

#include "suiteframe/adodb/sqliteprovider_p.h"

#include "suiteframe/adodb/driverlibrary_p.h"
#include "suiteframe/adodb/errors.h"
#include "suiteframe/adodb/textvalues_p.h"

#include <QCoreApplication>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace adodb::sqliteprovider {

using namespace Qt::StringLiterals;
using platform::Value;

namespace {

// SQLite's virtual machine instructions between two looks at the command's deadline.
constexpr int ProgressInstructions = 1000;

// Short against the time a clerk waits, long enough not to keep a core busy.
constexpr std::chrono::milliseconds BusyPause{10};

// How long a statement left part-way must have taken no step before it reads the rest
// and lets the database go: short against another program's wait for a save, long
// enough that a program turning its event loop once before it reads on (a dialog about
// to show) does not have a large result copied for nothing.
constexpr std::chrono::milliseconds IdleBeforeLettingGo{100};

QDeadlineTimer deadlineAfter(qint32 seconds)
{
    return seconds > 0 ? QDeadlineTimer(std::chrono::seconds(seconds))
                       : QDeadlineTimer(QDeadlineTimer::Forever);
}

bool isSet(const QString &flag)
{
    return !flag.isEmpty() && QStringLiteral("Yy123456789Tt").contains(flag.front());
}

// Whether the SQL after the first statement holds another one: blanks, semicolons and
// comments are none, as SQLite prepares them to no statement.
bool hasMoreStatements(sqlite3 *db, const char *tail)
{
    while (tail && *tail) {
        sqlite3_stmt *next = nullptr;
        const char *rest = nullptr;
        const int rc = sqlite3_prepare_v2(db, tail, -1, &next, &rest);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next)
            return true;
        if (rest == tail)
            return false;
        tail = rest;
    }
    return false;
}

QString hexText(const void *bytes, int length)
{
    return QStringLiteral("X'%1'").arg(QString::fromLatin1(
        QByteArray(static_cast<const char *>(bytes), length).toHex().toUpper()));
}

} // namespace

Session::Session(const QString &connectionString,
                 const QStringList &secrets,
                 qint32 connectionTimeout,
                 std::shared_ptr<Errors> errors)
    : m_secrets(secrets)
    , m_errors(std::move(errors))
{
    const auto option = [&](const char16_t *key) {
        return driverlibrary::attributeOrDataSources(connectionString, QString::fromUtf16(key));
    };
    const QString database = option(u"Database");
    // A connection is used on its program's one thread: SQLite need not lock its own
    // mutexes at every call.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    if (!isSet(option(u"NoCreat")))
        flags |= SQLITE_OPEN_CREATE;
    if (const int rc = sqlite3_open_v2(database.toUtf8().constData(), &m_db, flags, nullptr);
        rc != SQLITE_OK) {
        const QString why = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throwProviderFailure({record(rc, QStringLiteral("%1 (%2)").arg(why, database))},
                             *m_errors,
                             m_secrets);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, &Session::onBusy, this);
    sqlite3_progress_handler(m_db, ProgressInstructions, &Session::onProgress, this);
    // A lock another program holds is waited for no longer than the connection's
    // time-out, as a log-in waits for a server; a command's time-out may end it sooner.
    m_lockWaitSeconds = connectionTimeout;
    QString setUp = isSet(option(u"FKSupport")) ? u"PRAGMA foreign_keys = on;"_s
                                                : u"PRAGMA foreign_keys = off;"_s;
    // Settings of the data source: the journal's mode and how often the file is synced.
    for (const auto &[key, pragma] :
         {std::pair(u"JournalMode", u"journal_mode"), std::pair(u"SyncPragma", u"synchronous")}) {
        const QString value = option(key);
        if (!value.isEmpty() && std::all_of(value.begin(), value.end(), [](QChar c) {
                return c.isLetterOrNumber() && c.unicode() < 0x80;
            }))
            setUp += QStringLiteral("PRAGMA %1 = %2;").arg(QString::fromUtf16(pragma), value);
    }
    if (const int rc = sqlite3_exec(m_db, setUp.toUtf8().constData(), nullptr, nullptr, nullptr);
        rc != SQLITE_OK) {
        // No destructor runs for a constructor that throws: the file is let go here.
        const Error failure = failureOf(rc);
        close();
        failWith(failure);
    }
}

Session::~Session()
{
    close();
}

void Session::close()
{
    for (Statement *statement : std::vector<Statement *>(m_statements))
        statement->finalize();
    m_statements.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool Session::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

void Session::rollbackQuietly() noexcept
{
    if (inTransaction())
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Session::failTransactionEnded() const
{
    Error error = record(SQLITE_ERROR,
                         QStringLiteral("資料庫已自行復原進行中的交易（交易中有敘述失敗），"
                                        "交易中的變更都沒有存入；請先復原交易再繼續"));
    error.SQLState = QStringLiteral("25000");
    failWith(error);
}

void Session::beginCall(qint32 timeoutSeconds)
{
    m_timeoutSeconds = timeoutSeconds;
    m_deadlineStarted = false;
    m_timedOut = false;
}

// A call's time starts when SQLite first calls back in it, for a lock or after its
// first instructions: the clock is read then, not at every step of a statement.
QDeadlineTimer Session::deadline()
{
    if (!m_deadlineStarted) {
        m_deadline = deadlineAfter(m_timeoutSeconds);
        m_deadlineStarted = true;
    }
    return m_deadline;
}

bool Session::deadlinePassed() const
{
    return m_timeoutSeconds > 0 && m_deadlineStarted && m_deadline.hasExpired();
}

int Session::onBusy(void *session, int count)
{
    auto *self = static_cast<Session *>(session);
    if (count == 0)
        self->m_busyDeadline = std::min(self->deadline(), deadlineAfter(self->m_lockWaitSeconds));
    if (self->m_busyDeadline.hasExpired())
        return 0;
    std::this_thread::sleep_for(
        std::min<std::chrono::nanoseconds>(BusyPause,
                                           self->m_busyDeadline.remainingTimeAsDuration()));
    return 1;
}

int Session::onProgress(void *session)
{
    auto *self = static_cast<Session *>(session);
    if (self->m_timeoutSeconds == 0 || !self->deadline().hasExpired())
        return 0;
    self->m_timedOut = true;
    return 1;
}

Error Session::record(int code, const QString &description)
{
    return {AdoError::ProviderFailure, description, EmbeddedSource, QStringLiteral("HY000"), code};
}

void Session::fail(int code) const
{
    failWith(failureOf(code));
}

void Session::failWith(const Error &error) const
{
    throwProviderFailure({error}, *m_errors, m_secrets);
}

Error Session::failureOf(int code) const
{
    // A statement ended by the command's deadline is a time-out, whatever else SQLite
    // says of it; one that completed is never reported as failed, since only a step's
    // own failure comes here.
    const bool endedByTheCommandsDeadline = ((code & 0xff) == SQLITE_INTERRUPT && m_timedOut)
                                            || ((code & 0xff) == SQLITE_BUSY && deadlinePassed());
    Error error = record(code, QString::fromUtf8(sqlite3_errmsg(m_db)));
    if (endedByTheCommandsDeadline) {
        error.SQLState = QStringLiteral("HYT00");
        error.NativeError = 0;
        error.Description = QStringLiteral("指令逾時（%1 秒）").arg(m_timeoutSeconds);
    } else if (code == SQLITE_ERROR && error.Description.startsWith(u"no such table")) {
        // SQLite has no code of its own for a missing table, which every other database
        // tells by its SQLSTATE; its message is the one sign of it.
        error.SQLState = QStringLiteral("42S02");
    }
    return error;
}

std::unique_ptr<Statement> Session::execute(const QString &sql,
                                            qint32 commandTimeout,
                                            qint32 *affected,
                                            const std::vector<Value> &parameters)
{
    if (!m_db)
        throw objectClosedError();
    beginCall(commandTimeout);
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    const char *tail = nullptr;
    if (const int rc = sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &prepared, &tail);
        rc != SQLITE_OK)
        fail(rc);
    if (hasMoreStatements(m_db, tail)) {
        sqlite3_finalize(prepared);
        throwProviderFailure({record(SQLITE_ERROR, QStringLiteral("一次只能執行一個 SQL 敘述"))},
                             *m_errors,
                             m_secrets);
    }
    auto statement = std::make_unique<Statement>(shared_from_this(), prepared, commandTimeout);
    bind(prepared, parameters);
    const bool changes = prepared && !sqlite3_stmt_readonly(prepared);
    const sqlite3_int64 changedBefore = sqlite3_total_changes64(m_db);
    // A statement that changes rows and answers some (RETURNING) is read to its end at
    // once: it then holds no write lock, and the rows it changed are counted.
    if (statement->step() && changes)
        statement->readTheRest();
    // SQLite counts the rows of the last INSERT, UPDATE or DELETE, which a statement of
    // another kind (CREATE TABLE) leaves as it was.
    if (affected)
        *affected = changes && sqlite3_total_changes64(m_db) != changedBefore
                        ? qint32(sqlite3_changes64(m_db))
                        : 0;
    return statement;
}

// Each value is bound as SQLite keeps it, and as the embedded database's columns read
// it back: a flag as 1 or 0, an exact decimal as its digits, a date as its ISO text.
void Session::bind(sqlite3_stmt *prepared, const std::vector<Value> &parameters)
{
    const int markers = prepared ? sqlite3_bind_parameter_count(prepared) : 0;
    if (markers != int(parameters.size()))
        throwProviderFailure({record(SQLITE_RANGE,
                                     parameterCountMismatch(markers, qsizetype(parameters.size())))},
                             *m_errors,
                             m_secrets);
    for (int i = 0; i < markers; ++i) {
        const Value &value = parameters[std::size_t(i)];
        const int at = i + 1;
        switch (value.type()) {
        case Value::Type::Empty:
        case Value::Type::Null:
            sqlite3_bind_null(prepared, at);
            break;
        case Value::Type::Boolean:
            sqlite3_bind_int(prepared, at, value.toBoolean() ? 1 : 0);
            break;
        case Value::Type::Integer:
        case Value::Type::Long:
            sqlite3_bind_int64(prepared, at, value.toLong());
            break;
        case Value::Type::Single:
        case Value::Type::Double:
            sqlite3_bind_double(prepared, at, value.toDouble());
            break;
        case Value::Type::Decimal:
        case Value::Type::Date:
        case Value::Type::String: {
            const QByteArray text = parameterText(value).toUtf8();
            sqlite3_bind_text(prepared, at, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
}

Statement::Statement(std::shared_ptr<Session> session,
                     sqlite3_stmt *statement,
                     qint32 commandTimeout)
    : m_session(std::move(session))
    , m_statement(statement)
    , m_commandTimeout(commandTimeout)
{
    m_session->m_statements.push_back(this);
    if (m_statement) {
        const int count = sqlite3_column_count(m_statement);
        for (int i = 0; i < count; ++i)
            m_names.push_back(sqlitetypes::columnName(sqlite3_column_name(m_statement, i)));
    }
}

Statement::~Statement()
{
    finalize();
}

bool Statement::step()
{
    if (m_finalized)
        throw objectClosedError();
    if (m_readAhead) {
        m_onRow = !m_ahead.empty();
        if (m_onRow) {
            m_current = std::move(m_ahead.front());
            m_ahead.pop_front();
        } else if (m_failedAhead) {
            m_session->failWith(*std::exchange(m_failedAhead, std::nullopt));
        }
        return m_onRow;
    }
    m_onRow = false;
    if (!m_statement) // SQL of blanks and comments alone
        return false;
    const int rc = stepWithinDeadline();
    ++m_steps;
    if (rc == SQLITE_ROW) {
        m_onRow = true;
        if (!m_described)
            describe();
        letGoWhenIdle();
        return true;
    }
    // At the end, or failed: the statement lets go of the database at once.
    if (rc == SQLITE_DONE) {
        sqlite3_reset(m_statement);
        return false;
    }
    const Error failure = m_session->failureOf(rc);
    sqlite3_reset(m_statement);
    m_session->failWith(failure);
}

int Statement::stepWithinDeadline()
{
    m_session->beginCall(m_commandTimeout);
    return sqlite3_step(m_statement);
}

// Columns take their kinds from their declared types, or, where none is declared, from
// their values in the first row.
void Statement::describe()
{
    m_described = true;
    for (int i = 0; i < columnCount(); ++i) {
        const char *declared = sqlite3_column_decltype(m_statement, i);
        m_kinds.push_back(declared
                              ? sqlitetypes::kindOfDeclared(declared)
                              : sqlitetypes::kindOfStored(sqlite3_column_type(m_statement, i)));
    }
}

void Statement::letGoWhenIdle()
{
    if (m_letGoScheduled || !QCoreApplication::instance())
        return;
    m_letGoScheduled = true;
    QTimer::singleShot(IdleBeforeLettingGo,
                       QCoreApplication::instance(),
                       [this, alive = std::weak_ptr<bool>(m_alive), stepsThen = m_steps] {
                           if (!alive.lock())
                               return;
                           m_letGoScheduled = false;
                           if (!m_onRow || m_readAhead || m_finalized)
                               return;
                           if (m_steps != stepsThen)
                               letGoWhenIdle(); // still being read
                           else
                               readTheRest();
                       });
}

std::vector<Value> Statement::currentRow() const
{
    std::vector<Value> row;
    row.reserve(m_names.size());
    for (int i = 0; i < columnCount(); ++i)
        row.push_back(value(i));
    return row;
}

void Statement::readTheRest()
{
    m_current = currentRow();
    int rc;
    while ((rc = stepWithinDeadline()) == SQLITE_ROW)
        m_ahead.push_back(currentRow());
    if (rc != SQLITE_DONE)
        m_failedAhead = m_session->failureOf(rc);
    sqlite3_reset(m_statement);
    m_readAhead = true;
}

Value Statement::value(int index) const
{
    if (m_finalized)
        throw objectClosedError();
    if (m_readAhead)
        return m_current[index];
    const sqlitetypes::Kind kind = m_kinds[index];
    sqlite3_value *cell = sqlite3_column_value(m_statement, index);
    switch (sqlite3_value_type(cell)) {
    case SQLITE_INTEGER:
        if (auto value = sqlitetypes::storedIntegerValue(kind, sqlite3_value_int64(cell)))
            return *std::move(value);
        break;
    case SQLITE_FLOAT:
        if (auto value = sqlitetypes::storedRealValue(kind, sqlite3_value_double(cell)))
            return *std::move(value);
        break;
    case SQLITE_BLOB: {
        const QString text = hexText(sqlite3_value_blob(cell), sqlite3_value_bytes(cell));
        const QByteArray utf8 = text.toUtf8();
        return sqlitetypes::cellValue(kind, utf8.constData(), int(utf8.size()));
    }
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(cell));
    return sqlitetypes::cellValue(kind, text, sqlite3_value_bytes(cell));
}

StoredField Statement::storedField(int index) const
{
    using sqlitetypes::Kind;
    StoredField field;
    if (!m_onRow || m_readAhead || index < 0 || std::size_t(index) >= m_kinds.size())
        return field;
    const Kind kind = m_kinds[index];
    // The cell itself, read through its value: each column call would check the
    // statement and its index again.
    sqlite3_value *cell = sqlite3_column_value(m_statement, index);
    switch (sqlite3_value_type(cell)) {
    case SQLITE_NULL:
        field.kind = StoredField::Kind::Null;
        break;
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(cell));
        if (kind == Kind::Text) {
            field.kind = StoredField::Kind::Utf8;
            field.utf8 = QUtf8StringView(text, sqlite3_value_bytes(cell));
        } else if (kind == Kind::Date) {
            const auto serial = sqlitetypes::dateSerialOf(text);
            field.kind = serial ? StoredField::Kind::Date : StoredField::Kind::Null;
            field.real = serial.value_or(0);
        }
        break;
    }
    case SQLITE_INTEGER:
        if (kind == Kind::Integer || kind == Kind::Long) {
            // An Integer or Long value as integerValue makes it; larger ones are decimals.
            const qint64 whole = sqlite3_value_int64(cell);
            if (whole >= INT32_MIN && whole <= INT32_MAX) {
                field.kind = StoredField::Kind::Whole;
                field.whole = qint32(whole);
            }
        } else if (kind == Kind::Double) {
            field.kind = StoredField::Kind::Real;
            field.real = double(sqlite3_value_int64(cell));
        }
        break;
    case SQLITE_FLOAT:
        if (kind == Kind::Double) {
            field.kind = StoredField::Kind::Real;
            field.real = sqlitetypes::fifteenDigits(sqlite3_value_double(cell));
        }
        break;
    }
    return field;
}

void Statement::finalize()
{
    if (m_finalized)
        return;
    std::erase(m_session->m_statements, this);
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_finalized = true;
    m_onRow = false;
}

} // namespace adodb::sqliteprovider
