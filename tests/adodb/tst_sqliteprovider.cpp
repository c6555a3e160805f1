// The embedded database through SQLite's own library: each stored value read back from a
// file on disk through a column of each declared type, as the embedded database has
// always given it to the suite's programs.
#include "suiteframe/adodb/sqliteprovider_p.h"
#include "support/valuemetatype.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using adodb::sqliteprovider::Session;
using platform::Value;

class tst_SqliteProvider : public QObject
{
    Q_OBJECT

private slots:
    void storedValuesReadByTheirColumns_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<Value>("read");
        const Value null = Value::null();
        QTest::newRow("integer") << u"INTEGER"_s << u"42"_s << Value(qint32(42));
        QTest::newRow("integer, text") << u"INTEGER"_s << u"'abc'"_s << null;
        QTest::newRow("integer, leading digits") << u"INTEGER"_s << u"'12x'"_s << Value(qint32(12));
        QTest::newRow("integer, hex text") << u"INTEGER"_s << u"'0x1A'"_s << Value(qint32(26));
        QTest::newRow("integer, real") << u"INTEGER"_s << u"12.7"_s << Value(qint32(12));
        QTest::newRow("integer, 64 bits") << u"INTEGER"_s << u"9223372036854775807"_s
                                          << Value::fromDecimalText(u"9223372036854775807"_s);
        QTest::newRow("integer, 32 bits")
            << u"INTEGER"_s << u"-2147483648"_s << Value(qint32(-2147483648));
        // SQLite keeps these as reals, written with an exponent: "1.0e+15".
        QTest::newRow("integer, real with an exponent")
            << u"INTEGER"_s << u"1e15"_s << Value::fromDecimalText(u"1000000000000000"_s);
        QTest::newRow("integer, real past 64 bits")
            << u"INTEGER"_s << u"-1e20"_s << Value::fromDecimalText(u"-100000000000000000000"_s);
        QTest::newRow("integer, past 32 bits")
            << u"INTEGER"_s << u"2147483648"_s << Value::fromDecimalText(u"2147483648"_s);
        QTest::newRow("smallint") << u"SMALLINT"_s << u"7"_s << Value(qint16(7));
        QTest::newRow("smallint, past 16 bits")
            << u"SMALLINT"_s << u"40000"_s << Value(qint32(40000));
        QTest::newRow("interval is text") << u"INTERVAL"_s << u"5"_s << Value(u"5"_s);
        QTest::newRow("double, fifteen digits") << u"DOUBLE"_s << u"0.1+0.2"_s << Value(0.3);
        QTest::newRow("double, a tie at the fifteenth digit")
            << u"DOUBLE"_s << u"-123456789012344.5"_s << Value(-123456789012345.0);
        QTest::newRow("numeric is double") << u"NUMERIC(12,2)"_s << u"12.5"_s << Value(12.5);
        QTest::newRow("numeric, whole") << u"NUMERIC(12,2)"_s << u"42"_s << Value(42.0);
        QTest::newRow("decimal is text, numeric affinity")
            << u"DECIMAL(12,2)"_s << u"'12.50'"_s << Value(u"12.5"_s);
        QTest::newRow("bigint") << u"BIGINT"_s << u"42"_s << Value::fromDecimalText(u"42"_s);
        QTest::newRow("date") << u"DATE"_s << u"'2024-01-31'"_s << Value(QDate(2024, 1, 31));
        QTest::newRow("date, month first")
            << u"DATE"_s << u"'01/31/2024'"_s << Value(QDate(2024, 1, 31));
        QTest::newRow("date, day first") << u"DATE"_s << u"'31/01/2024'"_s << null;
        QTest::newRow("date, month first, a day the month has not")
            << u"DATE"_s << u"'02/30/2024'"_s << null;
        QTest::newRow("date, year 0") << u"DATE"_s << u"'0000-01-01'"_s << null;
        QTest::newRow("date, month 13") << u"DATE"_s << u"'2024-13-01'"_s << null;
        QTest::newRow("date, leap day")
            << u"DATE"_s << u"'2000-02-29'"_s << Value(QDate(2000, 2, 29));
        QTest::newRow("date, before the epoch")
            << u"DATE"_s << u"'1600-03-01'"_s << Value(QDate(1600, 3, 1));
        QTest::newRow("date, far ahead")
            << u"DATE"_s << u"'99999-12-31'"_s << Value(QDate(99999, 12, 31));
        QTest::newRow("date, digits alone") << u"DATE"_s << u"'20240131'"_s << null;
        QTest::newRow("datetime") << u"DATETIME"_s << u"'2024-01-31T13:45:10.123'"_s
                                  << Value(QDateTime(QDate(2024, 1, 31), QTime(13, 45, 10)));
        QTest::newRow("datetime, date alone") << u"DATETIME"_s << u"'2024-01-31'"_s
                                              << Value(QDateTime(QDate(2024, 1, 31), QTime(0, 0)));
        QTest::newRow("datetime, ten digits of fraction")
            << u"DATETIME"_s << u"'2024-01-31 13:45:10.1234567890'"_s
            << Value(QDateTime(QDate(2024, 1, 31), QTime(13, 45, 10, 123)));
        QTest::newRow("datetime, past midnight")
            << u"DATETIME"_s << u"'2024-01-31 24:00:00'"_s << null;
        QTest::newRow("time") << u"TIME"_s << u"'13:45:10'"_s
                              << Value(QDateTime(platform::DateSerialEpoch, QTime(13, 45, 10)));
        QTest::newRow("time of a date") << u"TIME"_s << u"'2024-01-31'"_s << null;
        QTest::newRow("boolean, -1") << u"BOOLEAN"_s << u"-1"_s << Value(false);
        QTest::newRow("boolean, T") << u"BIT"_s << u"'T'"_s << Value(true);
        QTest::newRow("text, extension B") << u"TEXT"_s << u"'𡩋'"_s << Value(u"𡩋"_s);
        QTest::newRow("blob") << u"BLOB"_s << u"x'0102FF'"_s << Value(u"X'0102FF'"_s);
        QTest::newRow("null") << u"INTEGER"_s << u"NULL"_s << null;
    }

    void storedValuesReadByTheirColumns()
    {
        QFETCH(QString, declared);
        QFETCH(QString, stored);
        QFETCH(Value, read);
        QTemporaryDir folder;
        const auto session = std::make_shared<Session>(u"Driver=SQLite3;Database="_s
                                                           + folder.filePath(u"資料.db"_s),
                                                       QStringList(),
                                                       5,
                                                       std::make_shared<adodb::Errors>());
        session->execute(u"CREATE TABLE t (c %1)"_s.arg(declared), 5, nullptr);
        session->execute(u"INSERT INTO t VALUES (%1)"_s.arg(stored), 5, nullptr);
        const auto statement = session->execute(u"SELECT c AS 欄位 FROM t"_s, 5, nullptr);
        QCOMPARE(statement->columnName(0), u"欄位"_s);
        QCOMPARE(statement->value(0), read);

        // Read as SQLite holds it, where it can be, the field stands for the same value.
        using Kind = adodb::StoredField::Kind;
        const adodb::StoredField field = statement->storedField(0);
        const Value::Type type = read.type();
        switch (field.kind) {
        case Kind::Other: // fieldValue reads it
            break;
        case Kind::Null:
            QCOMPARE(type, Value::Type::Null);
            break;
        case Kind::Utf8:
            QCOMPARE(Value(field.utf8.toString()), read);
            break;
        case Kind::Whole:
            QVERIFY(type == Value::Type::Integer || type == Value::Type::Long);
            QCOMPARE(field.whole, read.toLong());
            break;
        case Kind::Real:
            QCOMPARE(Value(field.real), read);
            break;
        case Kind::Date:
            QCOMPARE(Value::fromDateSerial(field.real), read);
            break;
        }
    }
};

QTEST_GUILESS_MAIN(tst_SqliteProvider)
#include "tst_sqliteprovider.moc"
