// basADODB: the suite's database module.

#pragma once

#include "suiteframe/platform/value.h"

#include <memory>

namespace adodb {
class Connection;
}

// The database module of the suite: opening connections.
namespace basADODB {

// Puts a new connection into the caller's variable, releasing whatever it held, with
// a connection time-out of 10 seconds, no command time-out and the given connection
// string, and opens it. Answers true when it is open. A failure is logged quietly
// under "ConnectADO", with the provider's own description of its cause (which never
// holds the connection string or a password), and answered with false; the variable
// then holds the new connection, not open.
bool ConnectADO(const platform::Value &connectionString,
                std::unique_ptr<adodb::Connection> &connection);

// Opens the connection as ConnectADO does, with its time-outs, but throws the failure
// (platform::RuntimeError) for a caller that tells of it in its own way.
void openConnection(adodb::Connection &connection, const QString &connectionString);

} // namespace basADODB
