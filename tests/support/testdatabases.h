// The databases the tests run their tables of cases on.

#pragma once

#include "support/postgresserver.h"

#include "suiteframe/adodb/connection.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// An SQLite database, a file with a Chinese name in a temporary folder, and a PostgreSQL
// server of the test's own, each with one open connection; the server also through
// psqlODBC's ANSI driver, into a database of its own. That driver has no wide-character
// calls, so every text reaches it as UTF-8 through the narrow ones. Cases name them
// "sqlite", "postgres" and "postgres-ansi".
class TestDatabases
{
public:
    static inline const QStringList Names{QStringLiteral("sqlite"),
                                          QStringLiteral("postgres"),
                                          QStringLiteral("postgres-ansi")};
    // The two names of the PostgreSQL server, one for each of its drivers.
    static inline const QStringList PostgresNames{Names[1], Names[2]};

    // Starts the server and opens both connections; on failure answers false with the
    // reason.
    bool open(QString *error);

    adodb::Connection &connection(const QString &name);
    // Runs the statement on each database, in the order of Names.
    void executeOnEach(const QString &sql);

    // The test data column "database" with a row for each database.
    static void addDatabaseRows();
    // A row of a table whose first column is "database": named after the database and
    // the case, the database filled in.
    static QTestData &newRow(const QString &database, const QString &name);
    // The same as a function of the case's name alone: rowsFor(database)("case").
    static auto rowsFor(const QString &database)
    {
        return [database](const char *name) -> QTestData & {
            return newRow(database, QString::fromUtf8(name));
        };
    }

private:
    // Declared in this order so that the connections close before the server stops
    // and the folder goes.
    QTemporaryDir m_dir;
    PostgresServer m_postgres;
    std::unique_ptr<adodb::Connection> m_sqlite;
    std::unique_ptr<adodb::Connection> m_postgresConnection;
    std::unique_ptr<adodb::Connection> m_ansiConnection;
};
