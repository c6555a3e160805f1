// The general value of the system's routines.

#pragma once

#include <QDateTime>
#include <QString>

#include <variant>

namespace platform {

// Day 0 of the date serial, 1899-12-30 (Julian day 2415019): a Date value is the number
// of days since it, and a time of day alone falls on it.
inline constexpr QDate DateSerialEpoch = QDate::fromJulianDay(2415019);

// The general value: a loosely typed value that converts between its kinds on use,
// as the system's routines expect of their parameters. Conversions that fail throw
// RuntimeError with the runtime's number: 13 type mismatch, 94 invalid use of Null,
// 6 overflow.
//
// An omitted optional parameter is std::optional<Value> left empty, which is not the
// same as Empty or Null.
class Value
{
public:
    enum class Type { Empty, Null, Boolean, Integer, Long, Single, Double, Decimal, Date, String };

    Value() = default; // Empty
    static Value null();

    Value(bool v)
        : m_data(v)
    {}
    Value(qint16 v)
        : m_data(v)
    {}
    Value(qint32 v)
        : m_data(v)
    {}
    Value(float v)
        : m_data(v)
    {}
    Value(double v)
        : m_data(v)
    {}
    Value(const QString &v)
        : m_data(v)
    {}
    Value(const char *utf8)
        : m_data(QString::fromUtf8(utf8))
    {}
    Value(const char16_t *v)
        : m_data(QString::fromUtf16(v))
    {}
    Value(QDate date);
    Value(const QDateTime &dateTime); // to the second: a fraction is dropped

    // A date from its serial: days since 1899-12-30, the fraction being the time of day.
    static Value fromDateSerial(double serial);
    // An exact decimal number written with '.' as decimal point, as databases deliver
    // NUMERIC and 64-bit integer columns; it is kept as written.
    static Value fromDecimalText(const QString &digits);

    Type type() const { return static_cast<Type>(m_data.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    bool isNumeric() const;

    // Conversions of the runtime; each throws RuntimeError where it fails.
    QString toText() const;   // to text: numbers in the locale's form, Null → 94
    bool toBoolean() const;   // non-zero is true; "True"/"False" in any case, "#TRUE#"/"#FALSE#"
    qint16 toInteger() const; // 16-bit, half to even
    qint32 toLong() const;    // 32-bit, half to even
    float toSingle() const;
    double toDouble() const;
    // The date and time the value stands for, or 13. The runtime's dates have no time
    // zone; the answer carries Qt::UTC only to say so.
    QDateTime toDate() const;

    // The runtime's is-a-date test: dates, and texts the locale reads as a date.
    // Numbers are no dates here.
    bool isDate() const;

    // The serial of a Date value (days since 1899-12-30); only for Type::Date.
    double dateSerial() const;
    // The digits of a Decimal value as written with '.' (fromDecimalText); only for
    // Type::Decimal.
    QString decimalDigits() const;

    friend bool operator==(const Value &a, const Value &b) { return a.m_data == b.m_data; }

private:
    struct NullTag
    {
        bool operator==(const NullTag &) const { return true; }
    };
    struct DecimalText
    {
        QString digits;
        bool operator==(const DecimalText &) const = default;
    };
    struct DateSerial
    {
        double serial;
        bool operator==(const DateSerial &) const = default;
    };

    using Data = std::
        variant<std::monostate, NullTag, bool, qint16, qint32, float, double, DecimalText, DateSerial, QString>;
    explicit Value(Data data)
        : m_data(std::move(data))
    {}

    Data m_data;
};

} // namespace platform
