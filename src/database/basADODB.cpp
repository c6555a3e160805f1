#include "suiteframe/database/basADODB.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/base/failure.h"

namespace basADODB {

bool ConnectADO(const platform::Value &connectionString, std::unique_ptr<adodb::Connection> &connection)
{
    bool connected = false;
    failure::log(QStringLiteral("ConnectADO"), [&] {
        connection = std::make_unique<adodb::Connection>();
        connection->setConnectionTimeout(10);
        connection->setCommandTimeout(0);
        connection->setConnectionString(connectionString.toText());
        // No user name, no password, no options: the connection string alone decides.
        connection->Open(QString(), QString(), adodb::ConnectUnspecified);
        connected = true;
    });
    return connected;
}

} // namespace basADODB
