// ConnectADO against real databases: SQLite through its driver, a PostgreSQL server of
// the test's own, a port where nothing listens and a server that never answers.
#include "suiteframe/database/basADODB.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/errors.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/runtimeerror.h"
#include "support/desktopcapture.h"
#include "support/modaldriver.h"
#include "support/postgresserver.h"
#include "support/silentserver.h"
#include "support/valuemetatype.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using platform::Value;
using namespace Qt::StringLiterals;

class tst_ConnectADO : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void opensWithTheCallersString_data();
    void opensWithTheCallersString();
    void sqliteFileIsTheNamedOne_data();
    void sqliteFileIsTheNamedOne();
    void postgresLogInOutsideAscii_data();
    void postgresLogInOutsideAscii();
    void failureLogsOnceAndLeavesAnUnopenedConnection_data();
    void failureLogsOnceAndLeavesAnUnopenedConnection();
    void closedPortFailsAtOnce();
    void silentServerFailsAfterTheConnectionTimeout();
    void secondCallHoldsTheSecondConnection();
    void failureReplacesAnOpenConnection();

private:
    QString sqliteString(const QString &file) const;
    QString logText() const;
    int logRecords() const;

    QTemporaryDir m_dir;
    PostgresServer m_postgres;
};

void tst_ConnectADO::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(m_postgres.start(&error), qPrintable(error));
    basBase::LogFilePath = m_dir.filePath(u"error.log"_s);
}

void tst_ConnectADO::init()
{
    QFile::remove(basBase::LogFilePath);
}

void tst_ConnectADO::cleanup()
{
    // The folder is shared by every test: kept for a look once any of them failed.
    if (QTest::currentTestFailed())
        m_dir.setAutoRemove(false);
    QCOMPARE(visibleWindows(), QStringList());
    QCOMPARE(platform::Err().Number, 0);
}

void tst_ConnectADO::cleanupTestCase()
{
    basBase::LogFilePath.clear();
    m_postgres.stop();
}

QString tst_ConnectADO::sqliteString(const QString &file) const
{
    return u"Driver=SQLite3;Database="_s + m_dir.filePath(file);
}

QString tst_ConnectADO::logText() const
{
    QFile log(basBase::LogFilePath);
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

int tst_ConnectADO::logRecords() const
{
    return int(logText().count(u"處理程序: (ConnectADO)"_s));
}

void tst_ConnectADO::opensWithTheCallersString_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::newRow("sqlite") << sqliteString(u"open.db"_s);
    QTest::newRow("postgres") << m_postgres.connectionString();
}

void tst_ConnectADO::opensWithTheCallersString()
{
    QFETCH(QString, connectionString);
    std::unique_ptr<adodb::Connection> connection;

    QVERIFY(basADODB::ConnectADO(Value(connectionString), connection));

    QVERIFY(connection);
    QCOMPARE(connection->State(), qint32(adodb::StateOpen));
    QCOMPARE(connection->ConnectionString(), connectionString);
    QCOMPARE(connection->ConnectionTimeout(), 10);
    QCOMPARE(connection->CommandTimeout(), 0);
    auto records = connection->Execute(u"SELECT 1 AS one"_s);
    QCOMPARE(records->fieldValue(0).toLong(), 1);
    QCOMPARE(logRecords(), 0);
}

void tst_ConnectADO::sqliteFileIsTheNamedOne_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("chinese folder") << u"中文目錄/x.db"_s;
    QTest::newRow("chinese file name") << u"資料.db"_s;
    QTest::newRow("outside the basic plane") << u"中文/資料\U0002000B.db"_s;
}

// What the driver opens is the file named, byte for byte: the rows land there, and no
// file of another name appears.
void tst_ConnectADO::sqliteFileIsTheNamedOne()
{
    QFETCH(QString, file);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    std::unique_ptr<adodb::Connection> connection;

    QVERIFY(basADODB::ConnectADO(Value(u"Driver=SQLite3;Database="_s + path), connection));
    connection->Execute(u"CREATE TABLE t (name varchar(20))"_s);
    connection->Execute(u"INSERT INTO t VALUES ('row-in-the-named-file')"_s);
    connection->Close();

    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("row-in-the-named-file"));
    QDirIterator all(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QStringList files;
    while (all.hasNext())
        files << all.next();
    QCOMPARE(files, QStringList{path});
    QCOMPARE(logRecords(), 0);
}

void tst_ConnectADO::postgresLogInOutsideAscii_data()
{
    // The ANSI driver has no wide-character calls: its log-in goes as UTF-8 through the
    // narrow call.
    QTest::addColumn<PostgresServer::Driver>("driver");
    QTest::addColumn<QString>("user");
    QTest::newRow("unicode driver") << PostgresServer::Driver::Unicode << u"會計員\U0002000B"_s;
    QTest::newRow("ansi driver") << PostgresServer::Driver::Ansi << u"出納員\U0002000B"_s;
}

void tst_ConnectADO::postgresLogInOutsideAscii()
{
    QFETCH(PostgresServer::Driver, driver);
    QFETCH(QString, user);
    const QString password = u"密碼-\U0002000B-ü"_s;
    std::unique_ptr<adodb::Connection> admin;
    QVERIFY(basADODB::ConnectADO(Value(m_postgres.connectionString()), admin));
    admin->Execute(u"CREATE ROLE \"%1\" LOGIN PASSWORD '%2'"_s.arg(user, password));
    const auto logIn = [&](const QString &password) {
        return Value(m_postgres.connectionString(driver, PostgresServer::Database, user, password));
    };

    std::unique_ptr<adodb::Connection> connection;
    QVERIFY(basADODB::ConnectADO(logIn(password), connection));
    QCOMPARE(connection->Execute(u"SELECT current_user"_s)->fieldValue(0).toText(), user);
    QVERIFY(!basADODB::ConnectADO(logIn(u"密碼-錯"_s), connection));
    QCOMPARE(logRecords(), 1);
}

void tst_ConnectADO::failureLogsOnceAndLeavesAnUnopenedConnection_data()
{
    QTest::addColumn<Value>("connectionString");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("secret");
    QTest::addColumn<QString>("cause"); // part of the provider's own description, logged

    QTest::newRow("empty string") << Value(u""_s) << adodb::AdoError::ProviderFailure << QString()
                                  << u"IM002"_s;
    QTest::newRow("null value") << Value::null() << platform::ErrorNumber::InvalidUseOfNull
                                << QString() << QString();
    QTest::newRow("unknown driver")
        << Value(u"Driver={No Such Driver};Pwd=letmein-42"_s) << adodb::AdoError::ProviderFailure
        << u"letmein-42"_s << u"SQLSTATE 01000"_s;
    QTest::newRow("sqlite file in a missing folder")
        << Value(sqliteString(u"missing/folder/x.db"_s)) << adodb::AdoError::ProviderFailure
        << QString() << u"unable to open database file"_s;
    QTest::newRow("a key twice") << Value(sqliteString(u"x.db"_s)
                                          + u";Driver=/nowhere/x.so;Pwd=letmein-42"_s)
                                 << adodb::AdoError::InvalidArgument << u"letmein-42"_s
                                 << u"Driver 出現了兩次"_s;
    QTest::newRow("postgres wrong password")
        << Value(m_postgres.connectionString(PostgresServer::User, u"wrong-Secret-77"_s))
        << adodb::AdoError::ProviderFailure << u"wrong-Secret-77"_s << u"password"_s;
    QTest::newRow("postgres unknown user")
        << Value(m_postgres.connectionString(u"nobody"_s, PostgresServer::Password))
        << adodb::AdoError::ProviderFailure << PostgresServer::Password << u"nobody"_s;
}

void tst_ConnectADO::failureLogsOnceAndLeavesAnUnopenedConnection()
{
    QFETCH(Value, connectionString);
    QFETCH(qint32, number);
    QFETCH(QString, secret);
    QFETCH(QString, cause);
    std::unique_ptr<adodb::Connection> connection;
    DesktopCapture desktop;

    QVERIFY(!basADODB::ConnectADO(connectionString, connection));

    QVERIFY(connection);
    QCOMPARE(connection->State(), qint32(adodb::StateClosed));
    QCOMPARE(desktop.beeps, 0);
    QCOMPARE(desktop.warnings.size(), 0);
    QCOMPARE(visibleWindows(), QStringList());
    QCOMPARE(logRecords(), 1);
    const QString log = logText();
    QVERIFY2(log.contains(u"執行錯誤, 代碼: "_s + (number < 0 ? QString() : u" "_s)
                          + QString::number(number)),
             qPrintable(log));
    QVERIFY2(log.contains(cause), qPrintable(log));
    if (!secret.isEmpty())
        QVERIFY(!log.contains(secret));
    if (!connectionString.isNull() && !connectionString.toText().isEmpty())
        QVERIFY(!log.contains(connectionString.toText()));
}

void tst_ConnectADO::closedPortFailsAtOnce()
{
    const QString closedPort
        = u"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=postgres;Uid=%2;Pwd=%3"_s
              .arg(freeLoopbackPort())
              .arg(PostgresServer::User, PostgresServer::Password);
    std::unique_ptr<adodb::Connection> connection;
    QElapsedTimer timer;
    timer.start();

    QVERIFY(!basADODB::ConnectADO(Value(closedPort), connection));

    // A refused connection is answered by the system at once, well before the time-out.
    QCOMPARE_LT(timer.elapsed(), 8000);
    QCOMPARE(connection->State(), qint32(adodb::StateClosed));
    QCOMPARE(logRecords(), 1);
}

void tst_ConnectADO::silentServerFailsAfterTheConnectionTimeout()
{
    SilentServer silent;
    const QString silentServer
        = u"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=postgres;Uid=%2;Pwd=%3"_s
              .arg(silent.port())
              .arg(PostgresServer::User, PostgresServer::Password);
    std::unique_ptr<adodb::Connection> connection;
    QElapsedTimer timer;
    timer.start();

    QVERIFY(!basADODB::ConnectADO(Value(silentServer), connection));

    // The 10-second connection time-out ends the wait; broad bounds, not a stopwatch.
    QCOMPARE_GT(timer.elapsed(), 8000);
    QCOMPARE_LT(timer.elapsed(), 20000);
    QCOMPARE(connection->State(), qint32(adodb::StateClosed));
    QCOMPARE(logRecords(), 1);
}

void tst_ConnectADO::secondCallHoldsTheSecondConnection()
{
    std::unique_ptr<adodb::Connection> connection;
    QVERIFY(basADODB::ConnectADO(Value(sqliteString(u"first.db"_s)), connection));
    connection->Execute(u"CREATE TABLE marker (name varchar(10))"_s);
    connection->Execute(u"INSERT INTO marker VALUES ('first')"_s);
    auto firstRecords = connection->Execute(u"SELECT name FROM marker"_s);

    QVERIFY(basADODB::ConnectADO(Value(m_postgres.connectionString()), connection));

    QCOMPARE(connection->ConnectionString(), m_postgres.connectionString());
    auto records = connection->Execute(u"SELECT current_database()"_s);
    QCOMPARE(records->fieldValue(0).toText(), PostgresServer::Database);
    // The first connection was released, not closed: what was read from it still reads.
    QCOMPARE(firstRecords->fieldValue(0).toText(), u"first"_s);
    QCOMPARE(logRecords(), 0);
}

void tst_ConnectADO::failureReplacesAnOpenConnection()
{
    std::unique_ptr<adodb::Connection> connection;
    QVERIFY(basADODB::ConnectADO(Value(sqliteString(u"open.db"_s)), connection));
    const adodb::Connection *first = connection.get();
    QCOMPARE(first->State(), qint32(adodb::StateOpen));

    QVERIFY(!basADODB::ConnectADO(Value(u""_s), connection));

    QVERIFY(connection);
    QCOMPARE(connection->ConnectionString(), QString());
    QCOMPARE(connection->State(), qint32(adodb::StateClosed));
    QCOMPARE(logRecords(), 1);
}

QTEST_MAIN(tst_ConnectADO)
#include "tst_connectado.moc"
