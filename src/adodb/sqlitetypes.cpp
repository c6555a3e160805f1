// The embedded database's column kinds and cell values.

#include "suiteframe/adodb/sqlitetypes_p.h"

#include "suiteframe/adodb/textvalues_p.h"
#include "suiteframe/platform/regional.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <optional>

namespace adodb::sqlitetypes {

using platform::Value;

namespace {

struct Prefix
{
    const char *text;
    Kind kind;
};

// Tried in this order on the lower-cased declaration: "interval" is no integer, and
// "timestamp" and "datetime" are read before "time" and "date".
constexpr std::array Prefixes{
    Prefix{"inter", Kind::Text},
    Prefix{"int", Kind::Long},
    Prefix{"mediumint", Kind::Long},
    Prefix{"numeric", Kind::Double},
    Prefix{"tinyint", Kind::Integer},
    Prefix{"smallint", Kind::Integer},
    Prefix{"float", Kind::Double},
    Prefix{"double", Kind::Double},
    Prefix{"real", Kind::Double},
    Prefix{"timestamp", Kind::Timestamp},
    Prefix{"datetime", Kind::Timestamp},
    Prefix{"time", Kind::Time},
    Prefix{"date", Kind::Date},
    Prefix{"bool", Kind::Boolean},
    Prefix{"bit", Kind::Boolean},
    Prefix{"bigint", Kind::Decimal},
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A flag in the first letter, as the database's texts have always been read as
// booleans: 1 to 9, Y or T is true, everything else false.
bool flagOf(const char *text)
{
    return *text && std::strchr("Yy123456789Tt", *text) != nullptr;
}

// An integer as C reads one (base 0, so "0x1A" is 26), up to the first character that
// is none of it; nothing when no digit starts the text.
std::optional<qint64> integerOf(const char *text)
{
    char *end = nullptr;
    const long long value = std::strtoll(text, &end, 0);
    if (end == text)
        return std::nullopt;
    return qint64(value);
}

std::optional<double> doubleOf(const char *text)
{
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    char *end = nullptr;
    const double value = strtod_l(text, &end, c);
    if (end == text)
        return std::nullopt;
    return value;
}

Value integerValue(Kind kind, qint64 value)
{
    if (kind == Kind::Integer && value >= INT16_MIN && value <= INT16_MAX)
        return Value(qint16(value));
    if (value >= INT32_MIN && value <= INT32_MAX)
        return Value(qint32(value));
    return Value::fromDecimalText(QString::number(value));
}

// The numbers of a text with the character after each.
struct Number
{
    long value = 0;
    int digits = 0;
    char after = '\0';
};

// Reads the number at text, answering it and moving text past it.
Number readNumber(const char *&text)
{
    Number number;
    while (isDigit(*text)) {
        number.value = number.value * 10 + (*text - '0');
        if (number.value > 99999999L)
            number.value = 99999999L;
        ++number.digits;
        ++text;
    }
    number.after = *text;
    return number;
}

bool isLeapYear(long year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(long year, long month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// The days from 1970-01-01 to a date of the Gregorian calendar carried back before its
// start, as QDate counts them: March first, so that a leap day ends its year, in eras of
// 400 years of 146,097 days.
qint64 daysFromCivil(qint64 year, long month, long day)
{
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// YYYY-MM-DD and nothing more.
bool isIsoDate(const char *text)
{
    static constexpr char Form[] = "9999-99-99";
    for (std::size_t i = 0; i + 1 < sizeof Form; ++i) {
        if (Form[i] == '9' ? !isDigit(text[i]) : text[i] != Form[i])
            return false;
    }
    return text[sizeof Form - 1] == '\0';
}

long digitsValue(const char *text, int count)
{
    long value = 0;
    for (int i = 0; i < count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

struct YearMonthDay
{
    long year = 0, month = 0, day = 0;
};

// A date as year, month and day parted by '-' or '/'; where that is no date and the
// parts were parted by '/', month, day and year. Any other character between numbers
// starts the date anew.
std::optional<YearMonthDay> dateOf(const char *text)
{
    long parts[3] = {};
    int filled = 0;
    char firstSeparator = '\0';
    if (isIsoDate(text)) { // as SQLite's date functions write it, read at once
        parts[0] = digitsValue(text, 4);
        parts[1] = digitsValue(text + 5, 2);
        parts[2] = digitsValue(text + 8, 2);
        filled = 3;
        firstSeparator = '-';
    } else {
        while (*text && !isDigit(*text))
            ++text;
        while (filled < 3 && isDigit(*text)) {
            const Number number = readNumber(text);
            const bool separator = number.after == '-' || number.after == '/';
            if (separator || number.after == '\0' || filled == 2) {
                if (filled == 0)
                    firstSeparator = number.after;
                parts[filled++] = number.value;
            } else {
                filled = 0;
            }
            while (*text && !isDigit(*text))
                ++text;
        }
    }
    if (filled < 3)
        return std::nullopt;
    YearMonthDay date{parts[0], parts[1], parts[2]};
    if (date.month >= 1 && date.month <= 12 && date.day >= 1
        && date.day <= daysInMonth(date.year, date.month))
        return date;
    if (firstSeparator != '/')
        return std::nullopt;
    // Written month first: the day is not checked against the month.
    date = {parts[2], parts[0], parts[1]};
    if (date.month < 1 || date.month > 12)
        return std::nullopt;
    return date;
}

struct TimeOfDay
{
    long hour = 0, minute = 0, second = 0;
};

bool isValid(const TimeOfDay &time)
{
    return time.hour <= 23 && time.minute <= 59 && time.second <= 59;
}

// A time as hours, minutes and seconds parted by ':', or six digits HHMMSS; any other
// character between numbers starts the time anew.
std::optional<TimeOfDay> timeOf(const char *text)
{
    while (*text && !isDigit(*text))
        ++text;
    const char *digits = text;
    while (isDigit(*digits))
        ++digits;
    if (digits - text >= 6) {
        const auto pair = [text](int at) {
            return long((text[at] - '0') * 10 + text[at + 1] - '0');
        };
        const TimeOfDay time{pair(0), pair(2), pair(4)};
        return isValid(time) ? std::optional(time) : std::nullopt;
    }
    long parts[3] = {};
    int filled = 0;
    while (filled < 3 && isDigit(*text)) {
        const Number number = readNumber(text);
        if (number.after == ':' || number.after == '\0' || filled == 2) {
            parts[filled++] = number.value;
        } else {
            filled = 0;
            parts[0] = parts[1] = parts[2] = 0;
        }
        while (*text && !isDigit(*text))
            ++text;
    }
    if (filled == 0)
        return std::nullopt;
    const TimeOfDay time{parts[0], parts[1], parts[2]};
    return isValid(time) ? std::optional(time) : std::nullopt;
}

// A time stamp: a date parted by '-' or '/', a time parted by ':', seconds followed by
// '.' or ' ' and a fraction (nanoseconds, as many digits as written); or fourteen digits
// and more, YYYYMMDDhhmmss and the fraction. A time without a date is today's. What
// follows the fraction (a zone) is not read.
std::optional<QDateTime> timestampOf(const char *text)
{
    while (*text && !isDigit(*text))
        ++text;
    YearMonthDay date;
    TimeOfDay time;
    long fraction = 0;
    int dateParts = 0;
    int timeParts = 0;
    const char *digits = text;
    while (isDigit(*digits))
        ++digits;
    const auto fractionOf = [](const char *from) {
        long value = 0;
        int count = 0;
        for (; isDigit(*from) && count < 9; ++from, ++count)
            value = value * 10 + (*from - '0');
        for (; count < 9; ++count)
            value *= 10;
        return value;
    };
    if (digits - text >= 14) {
        const auto field = [text](int at, int width) {
            long value = 0;
            for (int i = 0; i < width; ++i)
                value = value * 10 + (text[at + i] - '0');
            return value;
        };
        date = {field(0, 4), field(4, 2), field(6, 2)};
        time = {field(8, 2), field(10, 2), field(12, 2)};
        fraction = fractionOf(text + 14);
        dateParts = timeParts = 3;
    } else {
        char firstSeparator = '\0';
        long parts[3] = {};
        while (isDigit(*text)) {
            const Number number = readNumber(text);
            if (dateParts < 3 && timeParts == 0
                && (number.after == '-' || number.after == '/' || dateParts == 2)) {
                if (dateParts == 0)
                    firstSeparator = number.after;
                parts[dateParts++] = number.value;
            } else if (timeParts < 2 && number.after == ':') {
                (timeParts == 0 ? time.hour : time.minute) = number.value;
                ++timeParts;
            } else if (timeParts == 1) {
                time.minute = number.value;
                timeParts = 2;
            } else if (timeParts == 2) {
                time.second = number.value;
                timeParts = 3;
                if ((number.after == '.' || number.after == ' ') && isDigit(text[1]))
                    fraction = fractionOf(text + 1);
                break;
            }
            while (*text && !isDigit(*text))
                ++text;
        }
        if (dateParts == 3) {
            date = {parts[0], parts[1], parts[2]};
            const bool valid = date.month >= 1 && date.month <= 12 && date.day >= 1
                               && date.day <= daysInMonth(date.year, date.month);
            if (!valid && firstSeparator == '/')
                date = {parts[2], parts[0], parts[1]};
        }
    }
    if (dateParts < 3 && timeParts == 0)
        return std::nullopt;
    if (dateParts < 3) {
        const QDate today = QDate::currentDate();
        date = {today.year(), today.month(), today.day()};
    }
    if (date.month < 1 || date.month > 12 || date.day < 1
        || date.day > daysInMonth(date.year, date.month) || !isValid(time))
        return std::nullopt;
    return QDateTime(QDate(int(date.year), int(date.month), int(date.day)),
                     QTime(int(time.hour),
                           int(time.minute),
                           int(time.second),
                           int(fraction / 1000000)));
}

} // namespace

Kind kindOfDeclared(QByteArrayView declared)
{
    const QByteArray lower = declared.toByteArray().toLower();
    for (const Prefix &prefix : Prefixes)
        if (lower.startsWith(prefix.text))
            return prefix.kind;
    return Kind::Text;
}

Kind kindOfStored(int storageClass)
{
    switch (storageClass) {
    case SQLITE_INTEGER:
        return Kind::Long;
    case SQLITE_FLOAT:
        return Kind::Double;
    default:
        return Kind::Text;
    }
}

QString columnName(const char *utf8)
{
    const char *name = utf8 ? utf8 : "";
    for (int cut = 0; cut < 2; ++cut) {
        const char *dot = std::strchr(name, '.');
        if (!dot)
            break;
        name = dot + 1;
    }
    return QString::fromUtf8(name);
}

Value cellValue(Kind kind, const char *text, int length)
{
    if (!text)
        return Value::null();
    switch (kind) {
    case Kind::Boolean:
        return Value(flagOf(text));
    case Kind::Integer:
    case Kind::Long: {
        const auto value = integerOf(text);
        return value ? integerValue(kind, *value) : Value::null();
    }
    case Kind::Decimal:
        return numericTextValue(QString::fromUtf8(text, length));
    case Kind::Double: {
        const auto value = doubleOf(text);
        return value ? Value(*value) : Value::null();
    }
    case Kind::Date: {
        const auto serial = dateSerialOf(text);
        return serial ? Value::fromDateSerial(*serial) : Value::null();
    }
    case Kind::Time: {
        const auto time = timeOf(text);
        return time ? Value(QDateTime(platform::DateSerialEpoch,
                                      QTime(int(time->hour), int(time->minute), int(time->second))))
                    : Value::null();
    }
    case Kind::Timestamp: {
        const auto stamp = timestampOf(text);
        return stamp ? Value(*stamp) : Value::null();
    }
    case Kind::Text:
        break;
    }
    return Value(QString::fromUtf8(text, length));
}

std::optional<Value> storedIntegerValue(Kind kind, qint64 stored)
{
    // What reading the integer's decimal text would give, without making it.
    switch (kind) {
    case Kind::Boolean:
        return Value(stored > 0); // the text's first character is a digit from 1 to 9
    case Kind::Integer:
    case Kind::Long:
        return integerValue(kind, stored);
    case Kind::Decimal:
        return Value::fromDecimalText(QString::number(stored));
    case Kind::Double:
        return Value(double(stored)); // both round to the nearest double
    case Kind::Text:
        return Value(QString::number(stored));
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp:
        break;
    }
    return std::nullopt;
}

std::optional<Value> storedRealValue(Kind kind, double stored)
{
    if (kind == Kind::Double)
        return Value(fifteenDigits(stored));
    // SQLite writes a real from 1e15 on with an exponent ("1.0e+20"), whose digits before
    // the point are not the number's whole part; an integer column reads that part.
    if ((kind != Kind::Integer && kind != Kind::Long) || !std::isfinite(stored)
        || std::fabs(stored) < 1e15)
        return std::nullopt;
    const double whole = std::trunc(stored);
    if (std::fabs(whole) < 0x1p63)
        return integerValue(kind, qint64(whole));
    char digits[400];
    const auto written = std::to_chars(std::begin(digits),
                                       std::end(digits),
                                       whole,
                                       std::chars_format::fixed);
    return Value::fromDecimalText(QString::fromLatin1(digits, written.ptr - digits));
}

std::optional<double> dateSerialOf(const char *text)
{
    const auto date = dateOf(text);
    // A date written month first is read without its day checked: a day its month does
    // not have, like a year 0, is no date.
    if (!date || date->year == 0 || date->day < 1
        || date->day > daysInMonth(date->year, date->month))
        return std::nullopt;
    return double(daysFromCivil(date->year, date->month, date->day) - daysFromCivil(1899, 12, 30));
}

double fifteenDigits(double stored)
{
    // SQLite writes a real with fifteen digits, rounding ties away from zero.
    return platform::regional::roundedToSignificantDigits(stored, 15);
}

} // namespace adodb::sqlitetypes
