// The SQLite file and the PostgreSQL server the database tests share.
#include "support/twodatabases.h"

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

bool TwoDatabases::open(QString *error)
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
    });
    if (failed)
        *error = failed->description;
    return !failed;
}

adodb::Connection &TwoDatabases::connection(const QString &name)
{
    return name == Names.first() ? *m_sqlite : *m_postgresConnection;
}

void TwoDatabases::executeOnBoth(const QString &sql)
{
    for (const QString &name : Names)
        connection(name).Execute(sql);
}

void TwoDatabases::addDatabaseRows()
{
    QTest::addColumn<QString>("database");
    for (const QString &name : Names)
        QTest::newRow(qPrintable(name)) << name;
}

QTestData &TwoDatabases::newRow(const QString &database, const QString &name)
{
    return QTest::newRow(qPrintable(database + QStringLiteral(": ") + name)) << database;
}
