#pragma once

#include <QString>

#include <memory>

namespace adodb {
class Connection;
}

// Where the staff records live and how the program reaches them.
//
// The connection string is the key ConnectionString of section [Database] in the
// program's INI file, $XDG_CONFIG_HOME/suiteframe/staff.ini; without it the program
// uses its embedded database, $XDG_DATA_HOME/suiteframe/staff.db. One line in the INI
// file points it at a server instead:
//
//   [Database]
//   ConnectionString=Driver={PostgreSQL Unicode};Server=db;Database=staff;Uid=clerk;Pwd=...
namespace staff {

QString iniFilePath();
QString embeddedDatabasePath();
// The connection string from the INI file, or the embedded database's.
QString connectionString();

// Creates the table where it is missing and fills an empty one with the sample
// records. Throws RuntimeError where a statement fails.
void prepareDatabase(adodb::Connection &connection);

} // namespace staff
