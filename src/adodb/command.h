// A command with parameters, as ADO's Command.

#pragma once

#include "suiteframe/platform/value.h"

#include <QString>

#include <memory>
#include <vector>

namespace adodb {

class Connection;
class QueryRecordset;

// A statement with ? markers and the values bound to them in order, as ADO's Command
// with its Parameters: the provider prepares the statement and takes each value as
// it is, so that no value is ever pasted into the SQL. A typed name holding
// "' OR 1=1 --" finds only itself.
//
//   adodb::Command find(connection, u"SELECT id FROM staff WHERE name LIKE ? ESCAPE '\\'"_s);
//   find.appendParameter(Value(u"%"_s + adodb::likeLiteral(typed) + u"%"_s));
//   const auto records = find.Execute();
//
// Null and Empty bind as NULL, flags, integers and reals as numbers, an exact decimal
// as its digits, a date in ISO form. Execute throws what the connection's Execute
// throws, and the provider's failure when the markers and the values differ in number.
class Command
{
public:
    // The command runs on the connection, which must outlive it; a connection closed
    // meanwhile answers the error of a closed object.
    Command(Connection &activeConnection, const QString &commandText);

    const QString &CommandText() const { return m_commandText; }
    void appendParameter(const platform::Value &value);
    void clearParameters() { m_parameters.clear(); }
    int parameterCount() const { return int(m_parameters.size()); }

    // Runs the command, as Connection::Execute does.
    std::unique_ptr<QueryRecordset> Execute(qint32 *RecordsAffected = nullptr);

private:
    Connection &m_connection;
    QString m_commandText;
    std::vector<platform::Value> m_parameters;
};

// The LIKE pattern that matches the text literally, with '\' as its escape character:
// use it in "LIKE ? ESCAPE '\'", with the wildcards of the caller's own around it.
QString likeLiteral(const QString &text);

} // namespace adodb
