// Internal to the database connection: a connection string's driver library and which
// text calls it offers. Not installed.

#pragma once

#include <QString>

// The driver of a connection string and the text calls it offers, found before connecting
// the way the driver manager finds the driver: the DRIVER attribute names a driver of
// odbcinst.ini or a library path; a DSN names a data source of odbc.ini, whose Driver
// does the same.
namespace adodb::driverlibrary {

enum class Calls { Wide, Narrow, Unknown };

// The driver's library as odbcinst.ini or the string names it, a path or a file name;
// empty when the string names no driver that can be found.
QString libraryOf(const QString &connectionString);

// Wide when the driver's library has SQLDriverConnectW of its own, Narrow when it has
// only SQLDriverConnect, Unknown when no library can be found or loaded.
Calls connectCalls(const QString &connectionString);

// Whether the connection string opens the embedded database, SQLite 3: its DRIVER is one
// of the names SQLite's ODBC driver registers ("SQLite3", "SQLite3 ODBC Driver"; with or
// without braces, in any case) or a library of it, directly or through odbcinst.ini, or
// its DSN is a data source of such a driver. Known names need no driver installed.
bool isEmbeddedDatabase(const QString &connectionString);

// The value of the connection string's attribute key, or where the string has none, that
// of its data source in odbc.ini, as a driver reads its options.
QString attributeOrDataSources(const QString &connectionString, const QString &key);

} // namespace adodb::driverlibrary
