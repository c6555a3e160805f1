// Bounded waits for an embedded database that another program holds locked.

#include "suiteframe/adodb/lockwait_p.h"

#include "suiteframe/adodb/connectionstring_p.h"
#include "suiteframe/adodb/driverlibrary_p.h"

#include <sqlext.h>

#include <chrono>
#include <thread>

namespace adodb::lockwait {

namespace {

const QString BusyTimeoutKey = QStringLiteral("Timeout");

// SQLite's result code for a database locked by another connection, which its driver
// reports as the native error.
constexpr SQLINTEGER SqliteBusy = 5;

// Short against the time a clerk waits, long against the driver's own 10 ms naps.
constexpr std::chrono::milliseconds Pause{20};

} // namespace

bool isEmbeddedDatabase(const QString &connectionString)
{
    const QString library = driverlibrary::libraryOf(connectionString);
    const QString fileName = library.mid(library.lastIndexOf(u'/') + 1);
    return fileName.startsWith(QStringLiteral("libsqlite")) && fileName.contains(u"odbc");
}

QString withShortBusyWait(const QString &connectionString)
{
    if (!connectionstring::attribute(connectionString, BusyTimeoutKey).isEmpty())
        return connectionString;
    return connectionstring::withAttributes(connectionString,
                                            {BusyTimeoutKey},
                                            {{BusyTimeoutKey, QStringLiteral("1")}});
}

QDeadlineTimer deadlineAfter(qint32 seconds)
{
    return seconds > 0 ? QDeadlineTimer(std::chrono::seconds(seconds))
                       : QDeadlineTimer(QDeadlineTimer::Forever);
}

SQLRETURN retryWhileLocked(const std::function<SQLRETURN()> &attempt,
                           SQLSMALLINT handleType,
                           SQLHANDLE handle,
                           QDeadlineTimer deadline)
{
    SQLRETURN rc = attempt();
    while (rc == SQL_ERROR && isLocked(handleType, handle) && !deadline.hasExpired()) {
        std::this_thread::sleep_for(
            std::min<std::chrono::nanoseconds>(Pause, deadline.remainingTimeAsDuration()));
        rc = attempt();
    }
    return rc;
}

bool isLocked(SQLSMALLINT handleType, SQLHANDLE handle)
{
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[256];
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRecW(handleType,
                                        handle,
                                        1,
                                        state,
                                        &native,
                                        message,
                                        SQLSMALLINT(std::size(message)),
                                        &length);
    return SQL_SUCCEEDED(rc) && native == SqliteBusy;
}

} // namespace adodb::lockwait
