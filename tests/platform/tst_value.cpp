// The general value: rounding, texts, Null, overflow, booleans from texts, and dates
// through their serial.
#include "suiteframe/platform/value.h"
#include "support/runtimeerror.h"
#include "support/valuemetatype.h"

#include <QTest>

using platform::Value;
using namespace Qt::StringLiterals;

class tst_Value : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan)); }

    void toLongRoundsHalfToEven_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<qint32>("expected");
        QTest::addColumn<qint32>("error");
        QTest::newRow("0.5 goes to 0") << Value(0.5) << 0 << 0;
        QTest::newRow("1.5 goes to 2") << Value(1.5) << 2 << 0;
        QTest::newRow("2.5 goes to 2") << Value(2.5) << 2 << 0;
        QTest::newRow("-1.5 goes to -2") << Value(-1.5) << -2 << 0;
        QTest::newRow("2.5000001 goes up") << Value(2.5000001) << 3 << 0;
        QTest::newRow("text 3.5") << Value("3.5") << 4 << 0;
        QTest::newRow("text with blanks") << Value(" 42 ") << 42 << 0;
        QTest::newRow("True is -1") << Value(true) << -1 << 0;
        QTest::newRow("Empty is 0") << Value() << 0 << 0;
        QTest::newRow("largest") << Value(2147483647.0) << 2147483647 << 0;
        QTest::newRow("overflow after rounding") << Value(2147483647.5) << 0 << 6;
        QTest::newRow("overflow below") << Value(-2147483649.0) << 0 << 6;
        QTest::newRow("Null") << Value::null() << 0 << 94;
        QTest::newRow("empty text") << Value("") << 0 << 13;
        QTest::newRow("word") << Value("abc") << 0 << 13;
        QTest::newRow("date serial") << Value(QDate(2012, 12, 8)) << 41251 << 0;
        QTest::newRow("exact decimal") << Value::fromDecimalText(QStringLiteral("12.5")) << 12 << 0;
    }

    void toLongRoundsHalfToEven()
    {
        QFETCH(Value, value);
        QFETCH(qint32, expected);
        QFETCH(qint32, error);
        qint32 result = 0;
        QCOMPARE(errorNumberOf([&] { result = value.toLong(); }), error);
        QCOMPARE(result, expected);
    }

    void toTextFollowsTheRuntime_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Empty") << Value() << "";
        QTest::newRow("True never localised") << Value(true) << "True";
        QTest::newRow("False") << Value(false) << "False";
        QTest::newRow("16-bit") << Value(qint16(-7)) << "-7";
        QTest::newRow("32-bit") << Value(123456789) << "123456789";
        QTest::newRow("zero") << Value(0) << "0";
        QTest::newRow("double") << Value(1.25) << "1.25";
        QTest::newRow("small double in plain decimals") << Value(0.000056789) << "0.000056789";
        QTest::newRow("single tie rounds away from zero") << Value(654322.23456f) << "654322.3";
        QTest::newRow("exact decimal")
            << Value::fromDecimalText(QStringLiteral("-12345678901234567.89"))
            << "-12345678901234567.89";
        QTest::newRow("decimal without its scale's trailing zeros")
            << Value::fromDecimalText(QStringLiteral("12.50")) << "12.5";
        QTest::newRow("decimal zero of scale 2")
            << Value::fromDecimalText(QStringLiteral("0.00")) << "0";
        QTest::newRow("decimal negative zero")
            << Value::fromDecimalText(QStringLiteral("-0.00")) << "0";
        QTest::newRow("decimal integer keeps its zeros")
            << Value::fromDecimalText(QStringLiteral("1200")) << "1200";
        QTest::newRow("date only") << Value(QDate(2012, 12, 8)) << "2012/12/8";
        QTest::newRow("time stamp keeps its day without its milliseconds")
            << Value(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 600)))
            << "2024/12/31 下午 11:59:59";
        QTest::newRow("milliseconds after the epoch are day zero")
            << Value(QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0, 999))) << "上午 12:00:00";
        QTest::newRow("text") << Value("中文") << "中文";
    }

    void toTextFollowsTheRuntime()
    {
        QFETCH(Value, value);
        QFETCH(QString, expected);
        QCOMPARE(value.toText(), expected);
    }

    void nullDoesNotConvert()
    {
        const Value null = Value::null();
        QCOMPARE(errorNumberOf([&] { null.toText(); }), 94);
        QCOMPARE(errorNumberOf([&] { null.toSingle(); }), 94);
        QCOMPARE(errorNumberOf([&] { null.toDate(); }), 94);
        QVERIFY(!null.isDate());
        QVERIFY(!null.isEmpty());
    }

    void singleOverflows()
    {
        QCOMPARE(errorNumberOf([] { Value(1e39).toSingle(); }), 6);
        QCOMPARE(Value("10.5").toSingle(), 10.5f);
        QCOMPARE(errorNumberOf([] { Value(40000).toInteger(); }), 6);
    }

    // A text that is no boolean is type mismatch (13), the answer's place holding -1.
    void booleansFromTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("result");
        QTest::newRow("own word, any case") << u"true"_s << 1;
        QTest::newRow("own word, spaced") << u" False "_s << 0;
        QTest::newRow("own word, capitals") << u"TRUE"_s << 1;
        QTest::newRow("written form true") << u"#TRUE#"_s << 1;
        QTest::newRow("written form false") << u"#FALSE#"_s << 0;
        QTest::newRow("written form, mixed case") << u"#False#"_s << -1;
        QTest::newRow("written form, title case") << u"#True#"_s << -1;
        QTest::newRow("written form, small") << u"#true#"_s << -1;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("non-zero") << u"-3"_s << 1;
        QTest::newRow("other word") << u"yes"_s << -1;
    }

    void booleansFromTexts()
    {
        QFETCH(QString, text);
        QFETCH(int, result);
        if (result < 0)
            QCOMPARE(errorNumberOf([&] { Value(text).toBoolean(); }), 13);
        else
            QCOMPARE(Value(text).toBoolean(), result == 1);
    }

    void datesRoundTripThroughTheirSerial_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
        QTest::newRow("before the epoch with a time")
            << QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC);
        QTest::newRow("first day") << QDateTime(QDate(100, 1, 1), QTime(0, 0), Qt::UTC);
        QTest::newRow("last second") << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC);
        QTest::newRow("ordinary") << QDateTime(QDate(2012, 12, 8), QTime(14, 5, 9), Qt::UTC);
    }

    void datesRoundTripThroughTheirSerial()
    {
        QFETCH(QDateTime, when);
        const Value date(when);
        QCOMPARE(date.toDate(), when);
        QCOMPARE(Value::fromDateSerial(date.dateSerial()).toDate(), when);
    }

    void datesOutOfRangeOverflow()
    {
        QCOMPARE(errorNumberOf([] { Value(QDate(99, 12, 31)).toDate(); }), 6);
        QCOMPARE(errorNumberOf([] { Value(QDate(10000, 1, 1)).toText(); }), 6);
        QCOMPARE(Value::fromDateSerial(-1.25).toDate(),
                 QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC));
    }
};

QTEST_GUILESS_MAIN(tst_Value)

#include "tst_value.moc"
