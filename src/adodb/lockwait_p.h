// Internal to the database connection: bounded waits for an embedded database that
// another program holds locked. Not installed.

#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <sql.h>

#include <functional>

// SQLite's ODBC driver waits for a lock held by another program on a busy time-out of
// its own (the "Timeout" attribute, 100 s unless set), which neither ODBC time-out
// reaches, and in one statement it may wait that long twice. A connection to it is
// handed the shortest busy time-out instead, and the connection itself tries again
// until a deadline of its own while the database is locked. Other drivers wait on
// their locks as the ODBC time-outs tell them.
namespace adodb::lockwait {

// Whether the connection string's driver is SQLite's, whose lock waits are bounded here.
bool isEmbeddedDatabase(const QString &connectionString);

// The connection string with the driver's own busy time-out made as short as it goes,
// unless the string sets one itself.
QString withShortBusyWait(const QString &connectionString);

// The deadline of a wait of so many seconds; 0 is no limit.
QDeadlineTimer deadlineAfter(qint32 seconds);

// Calls attempt again, after a short pause, as long as it fails because the database is
// locked (SQLite's SQLITE_BUSY, as its driver reports it on the handle) and the deadline
// has not passed; answers the return code of the last call.
SQLRETURN retryWhileLocked(const std::function<SQLRETURN()> &attempt,
                           SQLSMALLINT handleType,
                           SQLHANDLE handle,
                           QDeadlineTimer deadline);

// Whether the last call on the handle failed because the database was locked.
bool isLocked(SQLSMALLINT handleType, SQLHANDLE handle);

} // namespace adodb::lockwait
