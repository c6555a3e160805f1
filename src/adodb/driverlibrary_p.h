// Internal to the database connection: which text calls a connection string's driver
// offers. Not installed.

#pragma once

#include <QString>

// Which text calls the driver of a connection string offers, found before connecting
// the way the driver manager finds the driver: the DRIVER attribute names a driver of
// odbcinst.ini or a library path; a DSN names a data source of odbc.ini, whose Driver
// does the same.
namespace adodb::driverlibrary {

enum class Calls { Wide, Narrow, Unknown };

// Wide when the driver's library has SQLDriverConnectW of its own, Narrow when it has
// only SQLDriverConnect, Unknown when no library can be found or loaded.
Calls connectCalls(const QString &connectionString);

} // namespace adodb::driverlibrary
