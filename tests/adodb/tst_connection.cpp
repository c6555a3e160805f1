// The connection's life: opening with the string as given or with a log-in of its own,
// the time-outs taking effect, the errors of a wrong order of calls, and diagnostics
// that never give a password away.
#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/errors.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "support/postgresserver.h"
#include "support/providercauses.h"
#include "support/runtimeerror.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

qsizetype openFiles()
{
    return QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System).size();
}

} // namespace

class tst_Connection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void startsClosedWithDefaults();
    void openAndCloseChangeTheState();
    void callsOutOfOrderRaiseTheirErrors_data();
    void callsOutOfOrderRaiseTheirErrors();
    void logInOfOpenTakesPrecedence_data();
    void logInOfOpenTakesPrecedence();
    void diagnosticsNeverCarryThePassword_data();
    void diagnosticsNeverCarryThePassword();
    void commandTimeoutEndsALongQuery_data();
    void commandTimeoutEndsALongQuery();
    void queriesWithinTheirTimeOutRun_data();
    void queriesWithinTheirTimeOutRun();
    void serverEndingTheSessionIsAConnectionLost();
    void closeClosesTheRecordsets();
    void recordsetOutlivesAReleasedConnection();

private:
    std::unique_ptr<adodb::Connection> openPostgres();

    QTemporaryDir m_dir;
    PostgresServer m_postgres;
};

void tst_Connection::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(m_postgres.start(&error), qPrintable(error));
}

void tst_Connection::cleanupTestCase()
{
    m_postgres.stop();
}

std::unique_ptr<adodb::Connection> tst_Connection::openPostgres()
{
    auto connection = std::make_unique<adodb::Connection>();
    connection->setConnectionString(m_postgres.connectionString());
    connection->Open();
    return connection;
}

void tst_Connection::startsClosedWithDefaults()
{
    adodb::Connection connection;
    QCOMPARE(connection.State(), qint32(adodb::StateClosed));
    QCOMPARE(connection.ConnectionTimeout(), 15);
    QCOMPARE(connection.CommandTimeout(), 30);
    QCOMPARE(connection.ConnectionString(), QString());
}

void tst_Connection::openAndCloseChangeTheState()
{
    adodb::Connection connection;
    const QString text = u"Driver=SQLite3;Database="_s + m_dir.filePath(u"state.db"_s);
    connection.setConnectionString(text);
    connection.Open(QString(), QString(), adodb::ConnectUnspecified);
    QCOMPARE(connection.State(), qint32(adodb::StateOpen));
    QCOMPARE(connection.ConnectionString(), text);

    connection.Close();
    QCOMPARE(connection.State(), qint32(adodb::StateClosed));
    // A closed connection opens again.
    connection.Open();
    QCOMPARE(connection.State(), qint32(adodb::StateOpen));
}

void tst_Connection::callsOutOfOrderRaiseTheirErrors_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<std::function<void(adodb::Connection &)>>("step");
    QTest::addColumn<qint32>("number");

    using Step = std::function<void(adodb::Connection &)>;
    QTest::newRow("open twice") << true << Step([](adodb::Connection &c) { c.Open(); })
                                << adodb::AdoError::ObjectOpen;
    QTest::newRow("new string while open")
        << true << Step([](adodb::Connection &c) { c.setConnectionString(u"Driver=SQLite3"_s); })
        << adodb::AdoError::ObjectOpen;
    QTest::newRow("new connection time-out while open")
        << true << Step([](adodb::Connection &c) { c.setConnectionTimeout(5); })
        << adodb::AdoError::ObjectOpen;
    QTest::newRow("close when closed")
        << false << Step([](adodb::Connection &c) { c.Close(); }) << adodb::AdoError::ObjectClosed;
    QTest::newRow("query when closed")
        << false << Step([](adodb::Connection &c) { c.Execute(u"SELECT 1"_s); })
        << adodb::AdoError::ObjectClosed;
    QTest::newRow("negative connection time-out")
        << false << Step([](adodb::Connection &c) { c.setConnectionTimeout(-1); })
        << adodb::AdoError::InvalidArgument;
    QTest::newRow("negative command time-out")
        << true << Step([](adodb::Connection &c) { c.setCommandTimeout(-1); })
        << adodb::AdoError::InvalidArgument;
    QTest::newRow("commit without a transaction")
        << true << Step([](adodb::Connection &c) { c.CommitTrans(); })
        << adodb::AdoError::NoTransaction;
    QTest::newRow("transaction within a transaction") << true << Step([](adodb::Connection &c) {
        c.BeginTrans();
        c.BeginTrans();
    }) << adodb::AdoError::NotSupported;
    QTest::newRow("transaction when closed")
        << false << Step([](adodb::Connection &c) { c.BeginTrans(); })
        << adodb::AdoError::ObjectClosed;
    QTest::newRow("asynchronous connect") << false << Step([](adodb::Connection &c) {
        c.Open(QString(), QString(), adodb::AsyncConnect);
    }) << adodb::AdoError::InvalidArgument;
}

void tst_Connection::callsOutOfOrderRaiseTheirErrors()
{
    QFETCH(bool, open);
    QFETCH(std::function<void(adodb::Connection &)>, step);
    QFETCH(qint32, number);

    adodb::Connection connection;
    connection.setConnectionString(u"Driver=SQLite3;Database="_s + m_dir.filePath(u"order.db"_s));
    if (open)
        connection.Open();
    QCOMPARE(errorNumberOf([&] { step(connection); }), number);
    QCOMPARE(connection.State(), open ? qint32(adodb::StateOpen) : qint32(adodb::StateClosed));
}

void tst_Connection::logInOfOpenTakesPrecedence_data()
{
    QTest::addColumn<QString>("stringUser");
    QTest::addColumn<QString>("stringPassword");
    QTest::addColumn<QString>("openUser");
    QTest::addColumn<QString>("openPassword");
    QTest::addColumn<bool>("opens");

    const QString user = PostgresServer::User;
    const QString password = PostgresServer::Password;
    QTest::newRow("log-in only in Open") << QString() << QString() << user << password << true;
    QTest::newRow("right password in Open over a wrong one")
        << user << u"wrong"_s << QString() << password << true;
    QTest::newRow("wrong password in Open over the right one")
        << user << password << QString() << u"wrong"_s << false;
    QTest::newRow("password with separators")
        << user << password << QString() << u"x;Uid=other}"_s << false;
}

void tst_Connection::logInOfOpenTakesPrecedence()
{
    QFETCH(QString, stringUser);
    QFETCH(QString, stringPassword);
    QFETCH(QString, openUser);
    QFETCH(QString, openPassword);
    QFETCH(bool, opens);

    adodb::Connection connection;
    connection.setConnectionString(m_postgres.connectionString(stringUser, stringPassword));
    const QString description = errorDescriptionOf([&] { connection.Open(openUser, openPassword); });
    QVERIFY2((connection.State() == adodb::StateOpen) == opens, qPrintable(description));
    if (!opens) {
        QVERIFY2(description.contains(u"SQLSTATE"_s), qPrintable(description));
        QVERIFY(!description.contains(openPassword));
    }
}

void tst_Connection::diagnosticsNeverCarryThePassword_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("secret");
    QTest::newRow("unknown driver, plain password")
        << u"Driver={No Such Driver};Uid=me;Pwd=hunter2-Secret"_s << u"hunter2-Secret"_s;
    QTest::newRow("unknown driver, braced password")
        << u"Driver={No Such Driver};PASSWORD={a;b=c}}d-Secret}"_s << u"a;b=c}d-Secret"_s;
    QTest::newRow("unknown data source name")
        << u"DSN=Secret-Named-Source"_s << u"DSN=Secret-Named-Source"_s;
    QTest::newRow("postgres, wrong password")
        << m_postgres.connectionString(PostgresServer::User, u"Wrong-Secret-9"_s)
        << u"Wrong-Secret-9"_s;
    // The file opens; its set-up then fails.
    QFile notADatabase(m_dir.filePath(u"不是資料庫.db"_s));
    QVERIFY(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write(QByteArray(4096, 'x'));
    QTest::newRow("sqlite, not a database")
        << u"Driver=SQLite3;Database=%1;JournalMode=WAL;Pwd=Unused-Secret-3"_s.arg(
               notADatabase.fileName())
        << u"Unused-Secret-3"_s;
}

void tst_Connection::diagnosticsNeverCarryThePassword()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, secret);

    adodb::Connection connection;
    connection.setConnectionString(connectionString);
    const qsizetype filesOpen = openFiles();
    const std::optional<failure::Failure> error = failure::capture([&] { connection.Open(); });
    QCOMPARE(openFiles(), filesOpen); // a failed Open keeps nothing open
    const qint32 number = error ? error->number : 0;
    const QString description = error ? error->description : QString();
    QCOMPARE(number, adodb::AdoError::ProviderFailure);
    QVERIFY2(description.contains(u"SQLSTATE"_s), qPrintable(description));
    QVERIFY2(!description.contains(secret), qPrintable(description));
    QVERIFY(!description.contains(connectionString));
}

void tst_Connection::commandTimeoutEndsALongQuery_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("longQuery");
    QTest::newRow("postgres") << m_postgres.connectionString() << u"SELECT pg_sleep(30)"_s;
    QTest::newRow("sqlite") << u"Driver=SQLite3;Database="_s + m_dir.filePath(u"逾時.db"_s)
                            << u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                               "WHERE x < 2000000000) SELECT count(*) FROM c"_s;
}

void tst_Connection::commandTimeoutEndsALongQuery()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, longQuery);
    adodb::Connection connection;
    connection.setConnectionString(connectionString);
    connection.Open();
    connection.setCommandTimeout(1);
    QElapsedTimer clock;
    clock.start();
    const QString description = errorDescriptionOf([&] { connection.Execute(longQuery); });
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(hasOnlyCause(connection.Errors(), u"time-out"_s), qPrintable(description));
    QCOMPARE(connection.State(), qint32(adodb::StateOpen));
    QCOMPARE(connection.Execute(u"SELECT 7"_s)->fieldValue(0).toLong(), 7);
}

// The server ends the session (an administrator's pg_terminate_backend): the next
// statement fails with the connection lost, not with a cause of its own.
void tst_Connection::serverEndingTheSessionIsAConnectionLost()
{
    adodb::Connection clerk;
    clerk.setConnectionString(m_postgres.connectionString());
    clerk.Open();
    const qint32 session = clerk.Execute(u"SELECT pg_backend_pid()"_s)->fieldValue(0).toLong();
    adodb::Connection administrator;
    administrator.setConnectionString(m_postgres.connectionString());
    administrator.Open();
    administrator.Execute(u"SELECT pg_terminate_backend(%1)"_s.arg(session));
    const QString description = errorDescriptionOf([&] { clerk.Execute(u"SELECT 1"_s); });
    QVERIFY2(hasOnlyCause(clerk.Errors(), u"connection lost"_s), qPrintable(description));
}

void tst_Connection::queriesWithinTheirTimeOutRun_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<qint32>("commandTimeout");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("pauseAfterTheFirstRow"); // ms of the program's own
    QTest::addColumn<int>("rows");
    QTest::newRow("postgres, no limit")
        << m_postgres.connectionString() << 0 << u"SELECT pg_sleep(1.5)"_s << 0 << 1;
    // Each step has the command's time; the program's pause between two is its own.
    QTest::newRow("sqlite, a pause between steps")
        << u"Driver=SQLite3;Database="_s + m_dir.filePath(u"讀取.db"_s) << 1
        << u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000) "
           "SELECT x FROM c"_s
        << 1500 << 100000;
}

void tst_Connection::queriesWithinTheirTimeOutRun()
{
    QFETCH(QString, connectionString);
    QFETCH(qint32, commandTimeout);
    QFETCH(QString, query);
    QFETCH(int, pauseAfterTheFirstRow);
    QFETCH(int, rows);
    adodb::Connection connection;
    connection.setConnectionString(connectionString);
    connection.Open();
    connection.setCommandTimeout(commandTimeout);
    auto records = connection.Execute(query);
    QThread::msleep(pauseAfterTheFirstRow);
    int read = 0;
    for (; !records->isEOF(); records->MoveNext())
        ++read;
    QCOMPARE(read, rows);
}

void tst_Connection::closeClosesTheRecordsets()
{
    auto connection = openPostgres();
    auto records = connection->Execute(u"SELECT generate_series(1, 3)"_s);
    connection->Close();
    QCOMPARE(errorNumberOf([&] { records->isEOF(); }), adodb::AdoError::ObjectClosed);
    QCOMPARE(errorNumberOf([&] { records->MoveNext(); }), adodb::AdoError::ObjectClosed);
    QCOMPARE(errorNumberOf([&] { records->fieldValue(0); }), adodb::AdoError::ObjectClosed);
}

void tst_Connection::recordsetOutlivesAReleasedConnection()
{
    auto connection = openPostgres();
    auto records = connection->Execute(u"SELECT generate_series(1, 3)"_s);
    connection.reset();
    qint32 sum = 0;
    for (; !records->isEOF(); records->MoveNext())
        sum += records->fieldValue(0).toLong();
    QCOMPARE(sum, 6);
}

QTEST_GUILESS_MAIN(tst_Connection)
#include "tst_connection.moc"
