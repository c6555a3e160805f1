// Masking of connection-string secrets in messages, at the edges fuzzing found, and the
// embedded database told by its driver.
#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/connectionstring_p.h"
#include "suiteframe/adodb/driverlibrary_p.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace connectionstring = adodb::connectionstring;

class tst_ConnectionString : public QObject
{
    Q_OBJECT

private slots:
    void masksEverySecret_data()
    {
        QTest::addColumn<QString>("connectionString");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");

        QTest::newRow("password and string") << "Uid=u;Pwd={a;b}}c}"
                                             << "login a;b}c failed for Uid=u;Pwd={a;b}}c}"
                                             << "login *** failed for ***";
        QTest::newRow("replacement joins a secret") << "Pwd=x***y;Password=Z"
                                                    << "xZy"
                                                    << "***";
        QTest::newRow("short asterisk passwords, many times")
            << QStringLiteral("Pwd=*;").repeated(40) << "a * b"
            << "a * b";
        QTest::newRow("long asterisk password") << "Pwd=*****"
                                                << "pw *****"
                                                << "pw ***";
    }

    void masksEverySecret()
    {
        QFETCH(QString, connectionString);
        QFETCH(QString, message);
        QFETCH(QString, expected);
        QCOMPARE(connectionstring::masked(message, connectionstring::secretsOf(connectionString)),
                 expected);
    }

    // The embedded database opens through SQLite's own library for every name its ODBC
    // driver has been given, whether that driver is installed or not; a reader opens
    // that same database read-only.
    void embeddedDatabaseByItsDriver_data()
    {
        QTest::addColumn<QString>("connectionString");
        QTest::addColumn<bool>("embedded");
        QTest::addColumn<QString>("readOnly"); // the Database a reader opens
        QTest::newRow("registered name")
            << "Driver=SQLite3;Database=/tmp/a.db" << true << "file:/tmp/a.db?mode=ro";
        QTest::newRow("braced, other case")
            << "DRIVER={sqlite3};Database=a#1?.db" << true << "file:a%231%3f.db?mode=ro";
        QTest::newRow("the Windows name")
            << "Driver={SQLite3 ODBC Driver};Database=a.db" << true << "file:a.db?mode=ro";
        QTest::newRow("library path")
            << "Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so;Database=a.db" << true
            << "file:a.db?mode=ro";
        QTest::newRow("a URI of its own")
            << "Driver=SQLite3;Database=file:/tmp/a.db?mode=rwc&cache=private#x" << true
            << "file:/tmp/a.db?cache=private&mode=ro";
        QTest::newRow("data source of the driver")
            << "DSN=人事;Uid=u" << true << "file:/tmp/staff.db?mode=ro";
        QTest::newRow("SQLite 2 is another driver")
            << "Driver=SQLite;Database=a.db" << false << "a.db";
        QTest::newRow("PostgreSQL") << "Driver={PostgreSQL Unicode};Server=h" << false << "";
        QTest::newRow("data source of another driver") << "DSN=客戶" << false << "";
    }

    void embeddedDatabaseByItsDriver()
    {
        QFETCH(QString, connectionString);
        QFETCH(bool, embedded);
        QFETCH(QString, readOnly);
        QTemporaryDir home;
        QFile sources(home.filePath(QStringLiteral(".odbc.ini")));
        QVERIFY(sources.open(QIODevice::WriteOnly));
        sources.write("[人事]\nDriver=SQLite3\nDatabase=/tmp/staff.db\n"
                      "[客戶]\nDriver=PostgreSQL Unicode\n");
        sources.close();
        // The driver manager reads the user's data sources from the file ODBCINI names.
        qputenv("ODBCINI", QFile::encodeName(sources.fileName()));
        const bool found = adodb::driverlibrary::isEmbeddedDatabase(connectionString);
        const QString reader = adodb::withReadOnlyAccess(connectionString);
        qunsetenv("ODBCINI");
        QCOMPARE(found, embedded);
        QCOMPARE(connectionstring::attribute(reader, QStringLiteral("Database")), readOnly);
    }
};

QTEST_GUILESS_MAIN(tst_ConnectionString)

#include "tst_connectionstring.moc"
