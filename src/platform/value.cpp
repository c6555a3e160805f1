// The general value: its kinds, the date serial and the runtime's conversions.

#include "suiteframe/platform/value.h"

#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/regional_p.h"
#include "suiteframe/platform/runtimeerror.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace platform {

namespace {

constexpr double MinDateSerial = -657434.0; // 100-01-01
constexpr double EndDateSerial = 2958466.0; // 10000-01-01, the first day out of range

[[noreturn]] void fail(qint32 number)
{
    throw RuntimeError(number);
}

// A date built from its parts keeps whole seconds: the runtime drops the fraction of a
// second (00:00:00.999 is still the day's first second), so a time stamp never moves
// to the next day.
double serialFromDateTime(const QDateTime &dateTime)
{
    const double days = DateSerialEpoch.daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 1000 / 86400.0;
    // Before the epoch the fraction counts away from zero: -1.25 is 1899-12-29 06:00.
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime dateTimeFromSerial(double serial)
{
    if (!(serial > MinDateSerial - 1.0 && serial < EndDateSerial))
        fail(ErrorNumber::Overflow);
    const double wholeDays = std::trunc(serial);
    const double fraction = std::fabs(serial - wholeDays);
    qint64 msecs = std::llround(fraction * 86400000.0);
    qint64 days = static_cast<qint64>(wholeDays);
    // Times are kept to the second, as the runtime's dates are.
    msecs = (msecs + 500) / 1000 * 1000;
    if (msecs >= 86400000) {
        msecs -= 86400000;
        days += serial < 0 ? -1 : 1;
    }
    // The runtime's dates have no time zone: kept as UTC, they never fall into a
    // daylight-saving gap and cost no time zone look-up.
    return QDateTime(DateSerialEpoch.addDays(days),
                     QTime::fromMSecsSinceStartOfDay(int(msecs)),
                     Qt::UTC);
}

double numberFromText(const QString &text)
{
    const std::optional<double> number = regional::parseNumber(text);
    if (!number)
        fail(ErrorNumber::TypeMismatch);
    return *number;
}

// Rounds half to even, as the runtime's integer conversions do.
double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default floating-point rounding mode is to even
}

template<typename Int>
Int toIntegerChecked(double value)
{
    if (std::isnan(value))
        fail(ErrorNumber::Overflow);
    const double rounded = roundHalfEven(value);
    if (rounded < double(std::numeric_limits<Int>::min())
        || rounded > double(std::numeric_limits<Int>::max()))
        fail(ErrorNumber::Overflow);
    return static_cast<Int>(rounded);
}

// An exact decimal is written without the trailing zeros of its column's scale (a
// numeric(12,2) 1.50 as 1.5, 0.00 as 0), as the runtime writes its decimals.
QString decimalTextInLocale(const QString &digits)
{
    QString text = digits;
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
        static const QStringList zeros{QString(),
                                       QStringLiteral("-"),
                                       QStringLiteral("+"),
                                       QStringLiteral("-0"),
                                       QStringLiteral("+0")};
        if (zeros.contains(text))
            text = QStringLiteral("0");
    }
    text.replace(QLatin1Char('.'), regional::localeForms().decimalPoint);
    return text;
}

} // namespace

Value Value::null()
{
    return Value(Data(NullTag{}));
}

Value::Value(QDate date)
    : m_data(DateSerial{double(DateSerialEpoch.daysTo(date))})
{}

Value::Value(const QDateTime &dateTime)
    : m_data(DateSerial{serialFromDateTime(dateTime)})
{}

Value Value::fromDateSerial(double serial)
{
    return Value(Data(DateSerial{serial}));
}

Value Value::fromDecimalText(const QString &digits)
{
    return Value(Data(DecimalText{digits}));
}

bool Value::isNumeric() const
{
    switch (type()) {
    case Type::Empty:
    case Type::Boolean:
    case Type::Integer:
    case Type::Long:
    case Type::Single:
    case Type::Double:
    case Type::Decimal:
        return true;
    case Type::String:
        return regional::parseNumber(std::get<QString>(m_data)).has_value();
    case Type::Null:
    case Type::Date:
        return false;
    }
    return false;
}

QString Value::toText() const
{
    switch (type()) {
    case Type::Empty:
        return QString();
    case Type::Null:
        fail(ErrorNumber::InvalidUseOfNull);
    case Type::Boolean:
        return std::get<bool>(m_data) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Integer:
        return QString::number(std::get<qint16>(m_data));
    case Type::Long:
        return QString::number(std::get<qint32>(m_data));
    case Type::Single:
        return regional::numberText(std::get<float>(m_data));
    case Type::Double:
        return regional::numberText(std::get<double>(m_data));
    case Type::Decimal:
        return decimalTextInLocale(std::get<DecimalText>(m_data).digits);
    case Type::Date:
        return regional::generalDate(toDate());
    case Type::String:
        return std::get<QString>(m_data);
    }
    return QString();
}

double Value::toDouble() const
{
    switch (type()) {
    case Type::Empty:
        return 0.0;
    case Type::Null:
        fail(ErrorNumber::InvalidUseOfNull);
    case Type::Boolean:
        return std::get<bool>(m_data) ? -1.0 : 0.0;
    case Type::Integer:
        return std::get<qint16>(m_data);
    case Type::Long:
        return std::get<qint32>(m_data);
    case Type::Single:
        return std::get<float>(m_data);
    case Type::Double:
        return std::get<double>(m_data);
    case Type::Decimal: {
        bool ok = false;
        const double number = std::get<DecimalText>(m_data).digits.toDouble(&ok);
        if (!ok)
            fail(ErrorNumber::TypeMismatch);
        return number;
    }
    case Type::Date:
        return std::get<DateSerial>(m_data).serial;
    case Type::String:
        return numberFromText(std::get<QString>(m_data));
    }
    return 0.0;
}

bool Value::toBoolean() const
{
    if (type() == Type::String) {
        const QString &text = std::get<QString>(m_data);
        const QString trimmed = text.trimmed();
        // Its own words in any case; besides them, the runtime reads the forms it writes
        // to files exactly as it writes them.
        if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0
            || trimmed == QLatin1String("#TRUE#"))
            return true;
        if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0
            || trimmed == QLatin1String("#FALSE#"))
            return false;
    }
    if (type() == Type::Boolean)
        return std::get<bool>(m_data);
    return toDouble() != 0.0;
}

qint16 Value::toInteger() const
{
    if (const auto *whole = std::get_if<qint16>(&m_data)) // as it is, nothing to round
        return *whole;
    return toIntegerChecked<qint16>(toDouble());
}

qint32 Value::toLong() const
{
    if (const auto *whole = std::get_if<qint32>(&m_data))
        return *whole;
    return toIntegerChecked<qint32>(toDouble());
}

float Value::toSingle() const
{
    const double number = toDouble();
    if (std::isfinite(number) && std::fabs(number) > double(std::numeric_limits<float>::max()))
        fail(ErrorNumber::Overflow);
    return static_cast<float>(number);
}

QDateTime Value::toDate() const
{
    switch (type()) {
    case Type::Null:
        fail(ErrorNumber::InvalidUseOfNull);
    case Type::Date:
        return dateTimeFromSerial(std::get<DateSerial>(m_data).serial);
    case Type::String: {
        const std::optional<QDateTime> date = regional::parseDate(std::get<QString>(m_data));
        if (!date)
            fail(ErrorNumber::TypeMismatch);
        return *date;
    }
    default:
        return dateTimeFromSerial(toDouble());
    }
}

bool Value::isDate() const
{
    switch (type()) {
    case Type::Date:
        return true;
    case Type::String:
        return regional::parseDate(std::get<QString>(m_data)).has_value();
    default:
        return false;
    }
}

double Value::dateSerial() const
{
    Q_ASSERT(type() == Type::Date);
    return std::get<DateSerial>(m_data).serial;
}

QString Value::decimalDigits() const
{
    Q_ASSERT(type() == Type::Decimal);
    return std::get<DecimalText>(m_data).digits;
}

} // namespace platform
