// The in-memory recordset: filled by its owner, read forward like a query's records.
#include "suiteframe/adodb/memoryrecordset.h"

#include "support/runtimeerror.h"

#include <QtTest>

using adodb::MemoryRecordset;
using platform::Value;
using namespace Qt::StringLiterals;

class tst_MemoryRecordset : public QObject
{
    Q_OBJECT

private slots:
    void readsRecordsInOrder();
    void fieldAddedLaterIsNullInEarlierRecords();
    void refusedAccess_data();
    void refusedAccess();
};

void tst_MemoryRecordset::readsRecordsInOrder()
{
    MemoryRecordset records({u"id"_s, u"name"_s});
    QVERIFY(records.isEOF());
    records.addRecord({Value(qint32(1)), Value(u"one")});
    records.addRecord({Value(qint32(2))});
    QVERIFY(!records.isEOF());
    QCOMPARE(records.fieldCount(), 2);
    QCOMPARE(records.fieldName(1), u"name"_s);
    QCOMPARE(records.fieldValue(1), Value(u"one"));
    records.MoveNext();
    QVERIFY(records.fieldValue(1).isNull()); // a value not given is Null
    records.setValue(1, 1, Value(u"two"));
    QCOMPARE(records.fieldValue(1), Value(u"two"));
    records.MoveNext();
    QVERIFY(records.isEOF());
    records.MoveFirst();
    QCOMPARE(records.fieldValue(0), Value(qint32(1)));
}

void tst_MemoryRecordset::fieldAddedLaterIsNullInEarlierRecords()
{
    MemoryRecordset records;
    records.appendField(u"a"_s);
    records.addRecord({Value(u"x")});
    records.appendField(u"b"_s);
    QVERIFY(records.fieldValue(1).isNull());
}

void tst_MemoryRecordset::refusedAccess_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("number");
    QTest::newRow("field past the end") << 0 << 3021;
    QTest::newRow("move past the end") << 1 << 3021;
    QTest::newRow("field index out of range") << 2 << 9;
    QTest::newRow("too many values") << 3 << 9;
    QTest::newRow("value of no record") << 4 << 9;
}

void tst_MemoryRecordset::refusedAccess()
{
    QFETCH(int, step);
    QFETCH(int, number);
    MemoryRecordset records({u"a"_s});
    records.addRecord({Value(u"x")});
    if (step < 2)
        records.MoveNext();
    const int caught = errorNumberOf([&] {
        switch (step) {
        case 0:
            (void) records.fieldValue(0);
            break;
        case 1:
            records.MoveNext();
            break;
        case 2:
            (void) records.fieldName(1);
            break;
        case 3:
            records.addRecord({Value(u"x"), Value(u"y")});
            break;
        case 4:
            records.setValue(1, 0, Value(u"z"));
            break;
        }
    });
    QCOMPARE(caught, number);
}

QTEST_MAIN(tst_MemoryRecordset)
#include "tst_memoryrecordset.moc"
