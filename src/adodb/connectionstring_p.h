// Internal to the database connection: reading connection strings and masking their
// secrets. Not installed.

#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// Connection strings in ODBC syntax, "key=value;key={va;lue}", read as the driver
// manager reads them; and the masking that keeps their secrets out of every message.
namespace adodb::connectionstring {

using Attributes = std::vector<std::pair<QString, QString>>;

// The attributes in the order written, keys without their outer blanks, braced values
// without their braces ("}}" standing for one brace).
Attributes attributesOf(const QString &connectionString);

// Throws (AdoError::InvalidArgument, naming the key but never a value) unless the
// driver manager and every driver read the connection string as the frame does: each
// key once (the driver manager takes the last of a repeated key, SQLite's driver the
// first), every part a "key=value" whose key neither ends in a blank nor holds a brace,
// DRIVER and DSN not both (the driver manager takes whichever comes first), and no
// FILEDSN or SAVEFILE, which read or write files of their own naming a driver library.
void requireOneReading(const QString &connectionString);

// The connection string as SQLite's ODBC driver reads it: that driver knows no braces
// and ends every value at the first ';', so the values are written bare, and one that
// holds a ';' cannot be handed to it and throws. LoadExt, which would load libraries
// of the string's naming into the program, throws too.
QString forEmbeddedDriver(const QString &connectionString);

// The value of the first attribute named key (compared without regard to case).
QString attribute(const QString &connectionString, const QString &key);

// What must never appear in a message: the whole connection string and the values of
// its password attributes.
QStringList secretsOf(const QString &connectionString);

// The text with every secret replaced by "***", longest first, so that a password
// inside the connection string is masked with it. Masking is repeated until no secret
// is left, since a replacement can join the text around it into a secret again; a
// secret of asterisks alone cannot be told from the mask: one no longer than the mask
// stays as it is, a longer one is masked once.
QString masked(QString text, const QStringList &secrets);

// The string without the attributes named by keys (compared without regard to case),
// with the given attributes appended. Throws as requireOneReading() does.
QString withAttributes(const QString &connectionString,
                       const QStringList &removedKeys,
                       const Attributes &added);

} // namespace adodb::connectionstring
