// Where the staff records live, and reading and saving them.

#pragma once

#include "staffrecord.h"

#include <QString>

#include <memory>
#include <optional>

namespace adodb {
class Connection;
class QueryRecordset;
} // namespace adodb

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
// The connection string of the INI file; empty where the embedded database is used.
// Throws RuntimeError for one that reading may have cut short.
QString configuredConnectionString();
QString embeddedConnectionString();

// What the program finds of its embedded database before it opens it.
enum class EmbeddedState {
    NewFolder,         // the data folder was missing and is made now: a first start
    Present,           // the file is there and may be written
    ReadOnly,          // the file or its folder may not be written
    Missing,           // the folder is there but the file is gone
    Empty,             // the file is there but holds nothing (0 bytes): no database
    FolderNotWritable, // the folder cannot be made or written
};
EmbeddedState embeddedState();

// Creates the table where it is missing, gives an older one its row versions, and,
// when asked, fills an empty one with the sample records, all or none.
void prepareDatabase(adodb::Connection &connection, bool withSamples);

// The record of the identifier, if there is one.
std::optional<Record> findRecord(adodb::Connection &connection, const QString &id);
// Adds the record; answers the version it now has.
qint32 insertRecord(adodb::Connection &connection, const Record &record);
// Saves the record only if it still has the version that was loaded; answers whether
// it did. The saved record has the next version.
bool updateRecord(adodb::Connection &connection, const Record &record);

// The records of a listing, with the fields given (SQL of the select list), in the
// order of their identifiers: the identifier's, or else those whose names contain the
// text as typed (its % and _ taken as they are), or else every record.
std::unique_ptr<adodb::QueryRecordset> listRecords(adodb::Connection &connection,
                                                   const QString &fields,
                                                   const QString &id,
                                                   const QString &name);

} // namespace staff
