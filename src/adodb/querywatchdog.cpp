// The query time-out for a driver that keeps none of its own: a watchdog thread that
// interrupts the connection at the deadline.

#include "suiteframe/adodb/querywatchdog_p.h"

#include <chrono>

namespace adodb::odbc {

QueryWatchdog::QueryWatchdog(SQLHDBC connection, QDeadlineTimer deadline)
    : m_idle(SQL_HANDLE_STMT, connection)
    , m_thread(&QueryWatchdog::watch, this, deadline)
{}

QueryWatchdog::~QueryWatchdog()
{
    stop();
}

bool QueryWatchdog::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopRequested.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    return m_interrupted;
}

void QueryWatchdog::watch(QDeadlineTimer deadline)
{
    std::unique_lock lock(m_mutex);
    if (m_stopRequested.wait_until(lock, deadline.deadline<std::chrono::steady_clock>(), [this] {
            return m_stopping;
        }))
        return;
    m_interrupted = true;
    SQLCancel(m_idle.get());
}

} // namespace adodb::odbc
