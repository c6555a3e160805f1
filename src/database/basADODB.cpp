// The database module: ConnectADO, and opening a connection with its time-outs.

#include "suiteframe/database/basADODB.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/base/failure.h"

namespace basADODB {

bool ConnectADO(const platform::Value &connectionString,
                std::unique_ptr<adodb::Connection> &connection)
{
    // The record keeps the provider's own description (which never holds the connection
    // string or a password): the standard text of its number would not say why.
    const auto failed = failure::capture([&] {
        connection = std::make_unique<adodb::Connection>();
        openConnection(*connection, connectionString.toText());
    });
    if (failed)
        failure::keepInLog(QStringLiteral("ConnectADO"), *failed);
    return !failed;
}

void openConnection(adodb::Connection &connection, const QString &connectionString)
{
    connection.setConnectionTimeout(10);
    connection.setCommandTimeout(0);
    connection.setConnectionString(connectionString);
    // No user name, no password, no options: the connection string alone decides.
    connection.Open(QString(), QString(), adodb::ConnectUnspecified);
}

} // namespace basADODB
