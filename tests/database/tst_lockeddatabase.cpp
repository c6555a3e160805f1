// The embedded database held locked by another program, the sqlite3 shell in an
// exclusive transaction: every wait ends within its time-out, with the cause named.

#include "suiteframe/database/basADODB.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/failure.h"
#include "support/lockingshell.h"
#include "support/providercauses.h"
#include "support/runtimeerror.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_LockedDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyWaitEndsWithinItsTimeOut_data();
    void everyWaitEndsWithinItsTimeOut();
    void readerLeftOpenHoldsNobodyOff();

private:
    QTemporaryDir m_dir;
};

void tst_LockedDatabase::everyWaitEndsWithinItsTimeOut_data()
{
    QTest::addColumn<int>("commandTimeout");
    QTest::addColumn<int>("releaseAfterMs");
    // The cause the connection's Errors give, none for success, "either" where the lock
    // goes as the command's time-out ends: the write may land or time out, but a failure
    // is told exactly when it did not land.
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QStringList>("failure"); // what the description says
    QTest::addColumn<int>("withinSeconds");
    // Read by a connection that has read the table before the lock: the lock is met as
    // the query takes its first step.
    QTest::addColumn<bool>("reading");

    QTest::newRow("held beyond the connection time-out")
        << 0 << -1 << u"locked"_s << QStringList{u"database is locked"_s} << 12 << false;
    QTest::newRow("held beyond a command time-out of 2 s")
        << 2 << -1 << u"time-out"_s << QStringList{u"HYT00"_s, u"指令逾時（2 秒）"_s} << 4 << false;
    QTest::newRow("released after a second")
        << 0 << 1000 << QString() << QStringList() << 4 << false;
    QTest::newRow("released after a second, reading")
        << 0 << 1000 << QString() << QStringList() << 4 << true;
    QTest::newRow("released as the command's time-out ends")
        << 1 << 1000 << u"either"_s << QStringList() << 3 << false;
}

void tst_LockedDatabase::everyWaitEndsWithinItsTimeOut()
{
    QFETCH(int, commandTimeout);
    QFETCH(int, releaseAfterMs);
    QFETCH(QString, cause);
    QFETCH(QStringList, failure);
    QFETCH(int, withinSeconds);
    QFETCH(bool, reading);
    const QString folder = m_dir.filePath(u"資料 𠀋"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString database = folder + u"/人事.db"_s;
    QFile::remove(database);
    QCOMPARE(shellQuery(database, u"CREATE TABLE staff (name TEXT)"_s), QByteArray());
    const QString connectionString = u"Driver=SQLite3;Database="_s + database;
    std::unique_ptr<adodb::Connection> connection;
    if (reading) {
        QCOMPARE(shellQuery(database, u"INSERT INTO staff VALUES ('王小明')"_s), QByteArray());
        QVERIFY(basADODB::ConnectADO(connectionString, connection));
        connection->Execute(u"SELECT name FROM staff"_s);
    }

    LockingShell other;
    QVERIFY(other.lock(database, releaseAfterMs));
    QElapsedTimer clock;
    clock.start();
    if (!reading)
        QVERIFY(basADODB::ConnectADO(connectionString, connection));
    QVERIFY2(clock.elapsed() < 12000, qPrintable(QString::number(clock.elapsed())));
    connection->setCommandTimeout(commandTimeout);

    clock.restart();
    QString read;
    const auto error = failure::capture([&] {
        if (reading)
            read = connection->Execute(u"SELECT name FROM staff"_s)->fieldValue(0).toText();
        else
            connection->Execute(u"INSERT INTO staff VALUES ('林志明')"_s);
    });
    QVERIFY2(clock.elapsed() < withinSeconds * 1000, qPrintable(QString::number(clock.elapsed())));
    if (cause != u"either"_s)
        QCOMPARE(error.has_value(), !cause.isEmpty());
    if (error)
        QVERIFY2(hasOnlyCause(connection->Errors(), cause == u"either"_s ? u"time-out"_s : cause),
                 qPrintable(error->description));
    for (const QString &words : failure)
        QVERIFY2(error->description.contains(words), qPrintable(error->description));
    if (reading)
        QCOMPARE(read, u"王小明"_s); // the row, not an empty result

    // Once the other program lets go, the same connection writes again.
    other.release();
    connection->Execute(u"INSERT INTO staff VALUES ('陳美玲')"_s);
    const QByteArray expected = reading ? "王小明\n陳美玲" : error ? "陳美玲" : "林志明\n陳美玲";
    QCOMPARE(shellQuery(database, u"SELECT name FROM staff ORDER BY rowid"_s), expected);
}

// A recordset read part-way and left open while the program goes back to its event
// loop: another program's save goes through at once, and the rows read on are the
// ones the query found.
void tst_LockedDatabase::readerLeftOpenHoldsNobodyOff()
{
    const QString database = m_dir.filePath(u"讀一半.db"_s);
    QFile::remove(database);
    QCOMPARE(shellQuery(database,
                        u"CREATE TABLE staff (name TEXT); INSERT INTO staff VALUES ('王小明'), "
                        u"('林志明'), ('陳美玲')"_s),
             QByteArray());
    std::unique_ptr<adodb::Connection> connection;
    QVERIFY(basADODB::ConnectADO(u"Driver=SQLite3;Database="_s + database, connection));
    const auto staff = connection->Execute(u"SELECT name FROM staff ORDER BY rowid"_s);
    QCOMPARE(staff->fieldValue(0).toText(), u"王小明"_s);

    // The other program waits up to a second for the database, as a save does.
    QProcess other;
    other.start(u"sqlite3"_s,
                {u"-cmd"_s,
                 u".timeout 1000"_s,
                 database,
                 u"INSERT INTO staff VALUES ('黃𡩋祥'); SELECT count(*) FROM staff;"_s});
    QTRY_VERIFY_WITH_TIMEOUT(other.state() == QProcess::NotRunning, 10000); // the loop turns
    QCOMPARE(other.exitCode(), 0);
    QCOMPARE(other.readAllStandardOutput().trimmed(), QByteArray("4"));
    QStringList rest;
    for (staff->MoveNext(); !staff->isEOF(); staff->MoveNext())
        rest << staff->fieldValue(0).toText();
    QCOMPARE(rest, (QStringList{u"林志明"_s, u"陳美玲"_s}));
}

QTEST_GUILESS_MAIN(tst_LockedDatabase)
#include "tst_lockeddatabase.moc"
