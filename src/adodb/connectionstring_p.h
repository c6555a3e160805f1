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
// with the given attributes appended.
QString withAttributes(const QString &connectionString,
                       const QStringList &removedKeys,
                       const Attributes &added);

} // namespace adodb::connectionstring
