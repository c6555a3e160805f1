// The embedded database held locked by another program, the sqlite3 shell in an
// exclusive transaction: every wait ends within its time-out, with the cause named.

#include "suiteframe/database/basADODB.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/failure.h"
#include "support/lockingshell.h"
#include "support/runtimeerror.h"

#include <QDir>
#include <QElapsedTimer>
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

private:
    QTemporaryDir m_dir;
};

void tst_LockedDatabase::everyWaitEndsWithinItsTimeOut_data()
{
    QTest::addColumn<int>("commandTimeout");
    QTest::addColumn<int>("releaseAfterMs");
    QTest::addColumn<QStringList>("failure"); // what the description says; none for success
    QTest::addColumn<int>("withinSeconds");

    QTest::newRow("held beyond the connection time-out")
        << 0 << -1 << QStringList{u"database is locked"_s} << 12;
    QTest::newRow("held beyond a command time-out of 2 s")
        << 2 << -1 << QStringList{u"HYT00"_s, u"database is locked"_s} << 4;
    QTest::newRow("released after a second") << 0 << 1000 << QStringList() << 4;
}

void tst_LockedDatabase::everyWaitEndsWithinItsTimeOut()
{
    QFETCH(int, commandTimeout);
    QFETCH(int, releaseAfterMs);
    QFETCH(QStringList, failure);
    QFETCH(int, withinSeconds);
    const QString folder = m_dir.filePath(u"資料 𠀋"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString database = folder + u"/人事.db"_s;
    QFile::remove(database);
    QCOMPARE(shellQuery(database, u"CREATE TABLE staff (name TEXT)"_s), QByteArray());

    LockingShell other;
    QVERIFY(other.lock(database, releaseAfterMs));
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<adodb::Connection> connection;
    QVERIFY(basADODB::ConnectADO(u"Driver=SQLite3;Database="_s + database, connection));
    QVERIFY2(clock.elapsed() < 12000, qPrintable(QString::number(clock.elapsed())));
    connection->setCommandTimeout(commandTimeout);

    clock.restart();
    const auto error = failure::capture(
        [&] { connection->Execute(u"INSERT INTO staff VALUES ('林志明')"_s); });
    QVERIFY2(clock.elapsed() < withinSeconds * 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(error.has_value(), !failure.isEmpty());
    for (const QString &cause : failure)
        QVERIFY2(error->description.contains(cause), qPrintable(error->description));

    // Once the other program lets go, the same connection writes again.
    other.release();
    connection->Execute(u"INSERT INTO staff VALUES ('陳美玲')"_s);
    const QByteArray expected = failure.isEmpty() ? "林志明\n陳美玲" : "陳美玲";
    QCOMPARE(shellQuery(database, u"SELECT name FROM staff ORDER BY rowid"_s), expected);
}

QTEST_GUILESS_MAIN(tst_LockedDatabase)
#include "tst_lockeddatabase.moc"
