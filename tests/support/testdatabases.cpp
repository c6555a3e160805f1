// The SQLite file and the PostgreSQL server, through both its drivers, that the database
// tests share.
#include "support/testdatabases.h"

#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/failure.h"

#include <QTest>

namespace {

std::unique_ptr<adodb::Connection> openConnection(const QString &connectionString)
{
    auto connection = std::make_unique<adodb::Connection>();
    connection->setConnectionString(connectionString);
    connection->Open();
    return connection;
}

} // namespace

bool TestDatabases::open(QString *error)
{
    if (!m_dir.isValid()) {
        *error = m_dir.errorString();
        return false;
    }
    if (!m_postgres.start(error))
        return false;
    const std::optional<failure::Failure> failed = failure::capture([this] {
        m_sqlite = openConnection(QStringLiteral("Driver=SQLite3;Database=")
                                  + m_dir.filePath(QStringLiteral("測試資料.db")));
        m_postgresConnection = openConnection(m_postgres.connectionString());
        m_postgresConnection->Execute(QStringLiteral("CREATE DATABASE ansi"));
        m_ansiConnection = openConnection(
            m_postgres.connectionString(PostgresServer::Driver::Ansi, QStringLiteral("ansi")));
    });
    if (failed)
        *error = failed->description;
    return !failed;
}

adodb::Connection &TestDatabases::connection(const QString &name)
{
    if (name == Names[0])
        return *m_sqlite;
    return name == Names[1] ? *m_postgresConnection : *m_ansiConnection;
}

void TestDatabases::executeOnEach(const QString &sql)
{
    for (const QString &name : Names)
        connection(name).Execute(sql);
}

void TestDatabases::addDatabaseRows()
{
    QTest::addColumn<QString>("database");
    for (const QString &name : Names)
        QTest::newRow(qPrintable(name)) << name;
}

QTestData &TestDatabases::newRow(const QString &database, const QString &name)
{
    return QTest::newRow(qPrintable(database + QStringLiteral(": ") + name)) << database;
}
