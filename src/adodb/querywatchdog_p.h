// Internal to the database connection: the query time-out for a driver that keeps none
// of its own. Not installed.

#pragma once

#include "suiteframe/adodb/odbc_p.h"

#include <QDeadlineTimer>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace adodb::odbc {

// Interrupts what runs on a connection once a deadline passes, from a thread of its
// own, for as long as it lives. It calls SQLCancel on an idle statement of the
// connection, never on the running one: SQLite's driver turns that into
// sqlite3_interrupt() of the whole connection, which is safe from another thread, and
// otherwise closes only the idle statement's cursor.
class QueryWatchdog
{
public:
    QueryWatchdog(SQLHDBC connection, QDeadlineTimer deadline);
    ~QueryWatchdog();
    QueryWatchdog(const QueryWatchdog &) = delete;
    QueryWatchdog &operator=(const QueryWatchdog &) = delete;

    // Stops watching; answers whether the deadline had passed and the connection was
    // interrupted. What runs on the connection when it answers true may have been cut
    // short, even if it seemed to succeed.
    bool stop();

private:
    void watch(QDeadlineTimer deadline);

    Handle m_idle;
    std::mutex m_mutex;
    std::condition_variable m_stopRequested;
    bool m_stopping = false;
    bool m_interrupted = false;
    std::thread m_thread;
};

} // namespace adodb::odbc
