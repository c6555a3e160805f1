// Query recordsets over real SQLite and PostgreSQL databases: the kinds of the values,
// the field names, the forward walk and its end, long and Chinese texts.
#include "suiteframe/adodb/command.h"
#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/errors.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/failure.h"
#include "support/providercauses.h"
#include "support/runtimeerror.h"
#include "support/testdatabases.h"
#include "support/valuemetatype.h"

#include <QTest>

#include <functional>

using platform::Value;
using namespace Qt::StringLiterals;

class tst_QueryRecordset : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void valuesKeepTheirKinds_data();
    void valuesKeepTheirKinds();
    void fieldNamesComeFromTheColumns_data();
    void fieldNamesComeFromTheColumns();
    void walksForwardToTheEnd_data();
    void walksForwardToTheEnd();
    void emptyResultStandsAtTheEnd_data();
    void emptyResultStandsAtTheEnd();
    void changesCountTheirRows_data();
    void changesCountTheirRows();
    void longTextsComeWhole_data();
    void longTextsComeWhole();
    void charactersOutsideTheBasicPlaneRoundTrip_data();
    void charactersOutsideTheBasicPlaneRoundTrip();
    void integersTooLargeForTheirColumnStayWhole();
    void cellsReadInAnyOrder_data();
    void cellsReadInAnyOrder();
    void parametersMatchOnlyThemselves_data();
    void parametersMatchOnlyThemselves();
    void transactionsLeaveAllOrNothing_data();
    void transactionsLeaveAllOrNothing();
    void failedQueryCarriesDiagnostics_data();
    void failedQueryCarriesDiagnostics();

private:
    adodb::Connection &connection(const QString &database)
    {
        return m_databases.connection(database);
    }

    TestDatabases m_databases;
};

namespace {

const QString chineseText = QStringLiteral("中文測試：資料庫連線，繁體字「龘」、「峯」與「裏」");

QDateTime timestamp()
{
    return QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10, 250));
}

void execute(adodb::Connection &connection, const QString &sql)
{
    connection.Execute(sql);
}

void createTypedTable(adodb::Connection &connection)
{
    execute(connection,
            QStringLiteral("CREATE TABLE typed (id integer, i16 smallint, i32 integer, i64 bigint, "
                           "dec numeric(12,2), r real, d double precision, dt date, ts timestamp, "
                           "txt varchar(100))"));
    execute(connection,
            QStringLiteral(
                "INSERT INTO typed VALUES (1, -12, 0, 9007199254740993, 1234.56, 1.5, 2.25, "
                "'2024-02-29', '2024-02-29 13:45:10.250', '%1')")
                .arg(chineseText));
    execute(connection, QStringLiteral("INSERT INTO typed (id) VALUES (2)"));
}

} // namespace

void tst_QueryRecordset::initTestCase()
{
    QString error;
    QVERIFY2(m_databases.open(&error), qPrintable(error));
    for (const QString &database : TestDatabases::Names)
        createTypedTable(connection(database));
    m_databases.executeOnEach(QStringLiteral("CREATE TABLE names (id integer, name varchar(100))"));
    m_databases.executeOnEach(QStringLiteral("CREATE TABLE keyed (id integer PRIMARY KEY)"));
    m_databases.executeOnEach(QStringLiteral("INSERT INTO keyed VALUES (1)"));
    m_databases.executeOnEach(QStringLiteral("CREATE TABLE ledger (entry varchar(20))"));
}

void tst_QueryRecordset::valuesKeepTheirKinds_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("column");
    QTest::addColumn<Value>("expected");

    for (const QString &database : TestDatabases::Names) {
        const auto row = TestDatabases::rowsFor(database);
        row("smallint") << QStringLiteral("i16") << Value(qint16(-12));
        row("zero integer") << QStringLiteral("i32") << Value(qint32(0));
        row("bigint beyond a double")
            << QStringLiteral("i64") << Value::fromDecimalText(QStringLiteral("9007199254740993"));
        // The embedded database reads its numeric and real columns as double.
        const bool sqlite = database == u"sqlite"_s;
        row("numeric") << QStringLiteral(
            "dec") << (sqlite ? Value(1234.56) : Value::fromDecimalText(QStringLiteral("1234.56")));
        row("real") << QStringLiteral("r") << (sqlite ? Value(1.5) : Value(1.5f));
        row("double") << QStringLiteral("d") << Value(2.25);
        row("date") << QStringLiteral("dt") << Value(QDate(2024, 2, 29));
        row("timestamp") << QStringLiteral("ts") << Value(timestamp());
        row("chinese text") << QStringLiteral("txt") << Value(chineseText);
    }
}

void tst_QueryRecordset::valuesKeepTheirKinds()
{
    QFETCH(QString, database);
    QFETCH(QString, column);
    QFETCH(Value, expected);

    auto records = connection(database).Execute(
        QStringLiteral("SELECT %1 FROM typed ORDER BY id").arg(column));
    QCOMPARE(records->fieldCount(), 1);
    QVERIFY(!records->isEOF());
    const Value value = records->fieldValue(0);
    QCOMPARE(int(value.type()), int(expected.type()));
    QVERIFY2(value == expected, qPrintable(value.toText()));

    records->MoveNext();
    QVERIFY(records->fieldValue(0).isNull());
}

void tst_QueryRecordset::fieldNamesComeFromTheColumns_data()
{
    TestDatabases::addDatabaseRows();
}

void tst_QueryRecordset::fieldNamesComeFromTheColumns()
{
    QFETCH(QString, database);
    auto records = connection(database).Execute(QStringLiteral(
        "SELECT id, txt AS \"客戶名稱\", i32 AS total_amount FROM typed ORDER BY id"));
    QCOMPARE(records->fieldCount(), 3);
    QCOMPARE(records->fieldName(0), QStringLiteral("id"));
    QCOMPARE(records->fieldName(1), QStringLiteral("客戶名稱"));
    QCOMPARE(records->fieldName(2), QStringLiteral("total_amount"));
    QCOMPARE(errorNumberOf([&] { records->fieldName(3); }), adodb::AdoError::ItemNotFound);
    // By name, in any case, as ADO finds them.
    QCOMPARE(records->fieldValue(u"ID"_s), Value(qint32(1)));
    QCOMPARE(records->fieldValue(u"客戶名稱"_s), Value(chineseText));
    QCOMPARE(records->fieldValue(u"Total_Amount"_s), Value(qint32(0)));
    QCOMPARE(errorNumberOf([&] { records->fieldValue(u"totalamount"_s); }),
             adodb::AdoError::ItemNotFound);
}

void tst_QueryRecordset::walksForwardToTheEnd_data()
{
    TestDatabases::addDatabaseRows();
}

void tst_QueryRecordset::walksForwardToTheEnd()
{
    QFETCH(QString, database);
    auto records = connection(database).Execute(
        QStringLiteral("SELECT id, i32 FROM typed UNION ALL SELECT 3, 7 ORDER BY 1"));
    QList<qint32> ids;
    while (!records->isEOF()) {
        ids << records->fieldValue(0).toLong();
        records->MoveNext();
    }
    QCOMPARE(ids, (QList<qint32>{1, 2, 3}));

    for (const auto &step :
         std::initializer_list<std::function<void()>>{[&] { records->fieldValue(0); },
                                                      [&] { records->MoveNext(); }})
        QCOMPARE(errorNumberOf(step), adodb::AdoError::NoCurrentRecord);
}

void tst_QueryRecordset::emptyResultStandsAtTheEnd_data()
{
    TestDatabases::addDatabaseRows();
}

void tst_QueryRecordset::emptyResultStandsAtTheEnd()
{
    QFETCH(QString, database);
    auto records = connection(database).Execute(
        QStringLiteral("SELECT id, txt FROM typed WHERE id < 0"));
    QVERIFY(records->isEOF());
    QCOMPARE(records->fieldCount(), 2);
    QCOMPARE(records->fieldName(1), QStringLiteral("txt"));
}

void tst_QueryRecordset::changesCountTheirRows_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<qint32>("affected");
    QTest::addColumn<int>("rows");
    for (const QString &database : TestDatabases::Names) {
        const auto row = TestDatabases::rowsFor(database);
        row("update of no row") << u"UPDATE typed SET i32 = 0 WHERE id = -1"_s << 0 << 0;
        row("update, then a comment")
            << u"UPDATE typed SET i32 = i32 WHERE id = 1; -- 註 𡩋"_s << 1 << 0;
        row("update answering its rows")
            << u"UPDATE typed SET i32 = i32 WHERE id > 0 RETURNING id"_s << 2 << 2;
    }
    // The count of the last update is not that of a statement that changes no rows.
    TestDatabases::newRow(u"sqlite"_s, u"table made after an update"_s)
        << u"CREATE TABLE IF NOT EXISTS typed (id integer)"_s << 0 << 0;
}

void tst_QueryRecordset::changesCountTheirRows()
{
    QFETCH(QString, database);
    QFETCH(QString, sql);
    QFETCH(qint32, affected);
    QFETCH(int, rows);
    connection(database).Execute(u"UPDATE typed SET i32 = i32"_s);
    qint32 counted = -2;
    auto records = connection(database).Execute(sql, &counted);
    int read = 0;
    for (; !records->isEOF(); records->MoveNext())
        ++read;
    QCOMPARE(read, rows);
    QCOMPARE(counted, affected);
}

void tst_QueryRecordset::longTextsComeWhole_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("text");
    for (const QString &database : TestDatabases::Names) {
        QTest::newRow(qPrintable(database + u": empty"_s)) << database << QString(u""_s);
        QTest::newRow(qPrintable(database + u": 10,000 chinese characters"_s))
            << database << QString(10000, QChar(u'漢'));
    }
    // Pairs of UTF-16 units, and for the ANSI driver the four bytes of their UTF-8, across
    // the boundaries of the pieces a long text comes in.
    for (const QString &database : TestDatabases::Names) {
        QTest::newRow(qPrintable(database + u": 70,000 units outside the basic plane"_s))
            << database << QString(u"𠀀"_s).repeated(35000);
        QTest::newRow(qPrintable(database + u": 3,001 units, mixed widths"_s))
            << database << QString(u"a𠀋漢"_s).repeated(750) + u"😀a"_s;
    }
}

void tst_QueryRecordset::longTextsComeWhole()
{
    QFETCH(QString, database);
    QFETCH(QString, text);
    auto records = connection(database).Execute(QStringLiteral("SELECT '%1' AS t").arg(text));
    QVERIFY(!records->isEOF());
    const Value value = records->fieldValue(0);
    QCOMPARE(int(value.type()), int(Value::Type::String));
    QCOMPARE(value.toText().size(), text.size());
    QVERIFY(value.toText() == text);
}

void tst_QueryRecordset::charactersOutsideTheBasicPlaneRoundTrip_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    int id = 0;
    for (const QString &database : TestDatabases::Names) {
        const auto row = [&](const char *name, const QString &text) {
            TestDatabases::newRow(database, QString::fromUtf8(name)) << ++id << text;
        };
        row("taiwanese name", u"林𠀋"_s);
        row("two in a row", u"𡃁𠀋"_s);
        row("emoji", u"😀"_s);
        row("among chinese and ascii", u"王𡃁明 A1 😀 測試"_s);
    }
}

void tst_QueryRecordset::charactersOutsideTheBasicPlaneRoundTrip()
{
    QFETCH(QString, database);
    QFETCH(int, id);
    QFETCH(QString, text);
    adodb::Connection &db = connection(database);
    execute(db, QStringLiteral("INSERT INTO names VALUES (%1, '%2')").arg(id).arg(text));

    // The text is compared inside the statement too: it must reach the database whole.
    auto records = db.Execute(
        QStringLiteral("SELECT name AS \"%1\" FROM names WHERE id = %2 AND name = '%1'")
            .arg(text)
            .arg(id));
    QCOMPARE(records->fieldName(0), text);
    QVERIFY2(!records->isEOF(), "the stored text differs from the one in the statement");
    QCOMPARE(records->fieldValue(0), Value(text));
}

void tst_QueryRecordset::integersTooLargeForTheirColumnStayWhole()
{
    // SQLite keeps 64-bit values in a column declared integer; its driver calls it 32-bit.
    adodb::Connection &sqlite = connection(u"sqlite"_s);
    execute(sqlite, QStringLiteral("CREATE TABLE wide (n integer, s smallint)"));
    execute(sqlite, QStringLiteral("INSERT INTO wide VALUES (5000000000, 70000)"));
    auto records = sqlite.Execute(QStringLiteral("SELECT n, s FROM wide"));
    QCOMPARE(records->fieldValue(0), Value::fromDecimalText(QStringLiteral("5000000000")));
    QCOMPARE(records->fieldValue(1), Value(qint32(70000)));
}

void tst_QueryRecordset::cellsReadInAnyOrder_data()
{
    TestDatabases::addDatabaseRows();
}

void tst_QueryRecordset::cellsReadInAnyOrder()
{
    QFETCH(QString, database);
    auto records = connection(database).Execute(
        QStringLiteral("SELECT id, i16, txt FROM typed ORDER BY id"));
    QCOMPARE(records->fieldValue(2), Value(chineseText));
    QCOMPARE(records->fieldValue(0), Value(qint32(1)));
    QCOMPARE(records->fieldValue(2), Value(chineseText));
    QCOMPARE(records->fieldValue(1), Value(qint16(-12)));
}

void tst_QueryRecordset::parametersMatchOnlyThemselves_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    for (const QString &database : TestDatabases::Names) {
        const auto row = TestDatabases::rowsFor(database);
        row("quote and comment") << u"' OR 1=1 --"_s << QStringList{u"' OR 1=1 --"_s};
        row("percent sign") << u"%"_s << QStringList{u"100%"_s};
        row("underscore") << u"_"_s << QStringList{u"a_b"_s};
        row("extension B") << u"𡩋"_s << QStringList{u"黃𡩋祥"_s};
        row("backslash") << u"\\"_s << QStringList{u"C:\\資料"_s};
    }
}

// Names stored through parameters, then searched with LIKE through a parameter: each
// typed text finds only the names holding it as typed.
void tst_QueryRecordset::parametersMatchOnlyThemselves()
{
    QFETCH(QString, database);
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    adodb::Connection &db = connection(database);
    db.Execute(u"DELETE FROM names"_s);
    const QStringList stored{u"' OR 1=1 --"_s,
                             u"100%"_s,
                             u"100 元"_s,
                             u"a_b"_s,
                             u"axb"_s,
                             u"黃𡩋祥"_s,
                             u"C:\\資料"_s,
                             u"C:資料"_s};
    adodb::Command insert(db, u"INSERT INTO names VALUES (?, ?)"_s);
    for (int i = 0; i < stored.size(); ++i) {
        insert.clearParameters();
        insert.appendParameter(Value(qint32(i)));
        insert.appendParameter(Value(stored[i]));
        qint32 added = 0;
        insert.Execute(&added);
        QCOMPARE(added, 1);
    }
    adodb::Command search(db, u"SELECT name FROM names WHERE name LIKE ? ESCAPE '\\' ORDER BY id"_s);
    search.appendParameter(Value(u"%"_s + adodb::likeLiteral(typed) + u"%"_s));
    QStringList names;
    for (auto records = search.Execute(); !records->isEOF(); records->MoveNext())
        names << records->fieldValue(0).toText();
    QCOMPARE(names, found);
}

void tst_QueryRecordset::transactionsLeaveAllOrNothing_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("kept"); // of the two entries written
    for (const QString &database : TestDatabases::Names) {
        for (const auto &[ending, kept] : {std::pair(u"commit"_s, 2),
                                           std::pair(u"rollback"_s, 0),
                                           std::pair(u"failure inside the scope"_s, 0),
                                           std::pair(u"connection released"_s, 0),
                                           std::pair(u"connection closed"_s, 0)})
            TestDatabases::newRow(database, ending) << ending << kept;
    }
    // SQLite rolls the whole transaction back for a statement that fails so.
    TestDatabases::newRow(u"sqlite"_s, u"ended by the database"_s)
        << u"ended by the database"_s << 0;
}

// Two entries written in a transaction of a connection of its own, ended each way; the
// shared connection then counts what is left.
void tst_QueryRecordset::transactionsLeaveAllOrNothing()
{
    QFETCH(QString, database);
    QFETCH(QString, ending);
    QFETCH(int, kept);
    connection(database).Execute(u"DELETE FROM ledger"_s);
    auto own = std::make_unique<adodb::Connection>();
    own->setConnectionString(connection(database).ConnectionString());
    own->Open();
    const auto writeBoth = [&] {
        own->Execute(u"INSERT INTO ledger VALUES ('入帳 𡩋')"_s);
        own->Execute(u"INSERT INTO ledger VALUES ('出帳')"_s);
    };
    if (ending == u"ended by the database"_s) {
        own->BeginTrans();
        writeBoth();
        QVERIFY(
            failure::capture([&] { own->Execute(u"INSERT OR ROLLBACK INTO keyed VALUES (1)"_s); }));
        // Nothing runs as if the transaction were open, nor by itself outside it.
        QVERIFY(failure::capture([&] { own->Execute(u"INSERT INTO ledger VALUES ('之後')"_s); }));
        own->RollbackTrans();
        QCOMPARE(own->BeginTrans(), 1);
        own->RollbackTrans();
    } else if (ending == u"failure inside the scope"_s) {
        const auto failed = failure::capture([&] {
            adodb::Transaction transaction(*own);
            writeBoth();
            own->Execute(u"INSERT INTO keyed VALUES (1)"_s); // a duplicate key
            transaction.commit();
        });
        QVERIFY(failed);
    } else {
        QCOMPARE(own->BeginTrans(), 1);
        writeBoth();
        if (ending == u"commit"_s)
            own->CommitTrans();
        else if (ending == u"rollback"_s)
            own->RollbackTrans();
        else if (ending == u"connection released"_s)
            own.reset();
        else
            own->Close();
    }
    QCOMPARE(connection(database).Execute(u"SELECT count(*) FROM ledger"_s)->fieldValue(0).toLong(),
             kept);
}

void tst_QueryRecordset::failedQueryCarriesDiagnostics_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("sqlState");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("cause"); // the question of adodb/errors.h that answers true
    // What another clerk's connection holds in its open transaction meanwhile.
    QTest::addColumn<QString>("held");
    for (const QString &database : TestDatabases::PostgresNames) {
        const auto row = TestDatabases::rowsFor(database);
        row("syntax") << u"SELEC 1"_s << u"42601"_s << u"SELEC"_s << QString() << QString();
        row("missing table") << u"SELECT * FROM missing"_s << u"42P01"_s << u"missing"_s
                             << u"no such table"_s << QString();
        row("missing column outside the basic plane")
            << u"SELECT 欄𠀋 FROM typed"_s << u"42703"_s << u"欄𠀋"_s << QString() << QString();
        row("duplicate key") << u"INSERT INTO keyed VALUES (1)"_s << u"23505"_s << u"keyed"_s
                             << u"duplicate key"_s << QString();
        row("a row another clerk holds")
            << u"SELECT * FROM keyed FOR UPDATE NOWAIT"_s << u"55P03"_s << u"keyed"_s << u"locked"_s
            << u"SELECT * FROM keyed FOR UPDATE"_s;
    }
    QTest::newRow("sqlite: syntax")
        << u"sqlite"_s << u"SELEC 1"_s << u"HY000"_s << u"SELEC"_s << QString() << QString();
    QTest::newRow("sqlite: missing table")
        << u"sqlite"_s << u"SELECT * FROM missing"_s << u"42S02"_s << u"missing"_s
        << u"no such table"_s << QString();
    QTest::newRow("sqlite: missing column outside the basic plane")
        << u"sqlite"_s << u"SELECT 欄𠀋 FROM typed"_s << u"HY000"_s << u"欄𠀋"_s << QString()
        << QString();
    QTest::newRow("sqlite: duplicate key")
        << u"sqlite"_s << u"INSERT INTO keyed VALUES (1)"_s << u"HY000"_s << u"keyed"_s
        << u"duplicate key"_s << QString();
}

void tst_QueryRecordset::failedQueryCarriesDiagnostics()
{
    QFETCH(QString, database);
    QFETCH(QString, sql);
    QFETCH(QString, sqlState);
    QFETCH(QString, named);
    QFETCH(QString, cause);
    QFETCH(QString, held);
    adodb::Connection otherClerk;
    if (!held.isEmpty()) {
        otherClerk.setConnectionString(connection(database).ConnectionString());
        otherClerk.Open();
        otherClerk.BeginTrans();
        otherClerk.Execute(held);
    }
    const std::optional<failure::Failure> error = failure::capture(
        [&] { connection(database).Execute(sql); });
    QVERIFY2(error, "a faulty statement ran");
    QCOMPARE(error->number, adodb::AdoError::ProviderFailure);
    QVERIFY2(error->description.contains(u"SQLSTATE "_s + sqlState), qPrintable(error->description));
    QVERIFY2(error->description.contains(named), qPrintable(error->description));
    QVERIFY(!error->description.contains(PostgresServer::Password));
    const adodb::Errors &errors = connection(database).Errors();
    QVERIFY(!errors.empty());
    QCOMPARE(errors.front().SQLState, sqlState);
    QVERIFY2(hasOnlyCause(errors, cause), qPrintable(error->description));
}

QTEST_GUILESS_MAIN(tst_QueryRecordset)
#include "tst_queryrecordset.moc"
