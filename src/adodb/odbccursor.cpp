// The ODBC cursor: a statement's columns described and its rows fetched forward, each
// cell read as a value of its column's kind.

#include "suiteframe/adodb/odbccursor_p.h"

#include "suiteframe/adodb/textvalues_p.h"
#include "suiteframe/platform/runtimeerror.h"

#include <algorithm>
#include <type_traits>

namespace adodb::odbc {

using platform::Value;

namespace {

// A time of day alone is a date on day 0 of the date serial.
QDateTime timeOfDay(int hour, int minute, int second)
{
    return QDateTime(platform::DateSerialEpoch, QTime(hour, minute, second));
}

QString decode(const SQLWCHAR *text, qsizetype length)
{
    return fromWide(text, length);
}

QString decode(const SQLCHAR *text, qsizetype length)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text), length);
}

} // namespace

Cursor::Cursor(std::unique_ptr<Statement> statement)
    : m_statement(std::move(statement))
    , m_wide(m_statement->textCalls() == TextCalls::Wide)
{
    SQLSMALLINT count = 0;
    m_statement->check(SQLNumResultCols(m_statement->get(), &count));
    m_columns.reserve(count);
    for (SQLUSMALLINT i = 1; i <= count; ++i)
        m_columns.push_back(m_wide ? describeColumn<SQLWCHAR>(i) : describeColumn<SQLCHAR>(i));
    m_cells.resize(count);
    step();
}

Cursor::Kind Cursor::kindOf(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_BIT:
        return Kind::Boolean;
    case SQL_TINYINT:
    case SQL_SMALLINT:
        return Kind::Integer;
    case SQL_INTEGER:
        return Kind::Long;
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return Kind::Decimal;
    case SQL_REAL:
        return Kind::Single;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return Kind::Double;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return Kind::Date;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return Kind::Time;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return Kind::Timestamp;
    default:
        return Kind::Text;
    }
}

bool Cursor::step()
{
    m_cellsRead = 0;
    m_onRow = false;
    if (m_columns.empty())
        return false;
    const SQLRETURN rc = m_statement->fetch();
    if (rc != SQL_NO_DATA) {
        m_statement->check(rc);
        m_onRow = true;
    }
    return m_onRow;
}

Value Cursor::value(int index) const
{
    while (m_cellsRead <= index) {
        m_cells[m_cellsRead] = readCell(m_cellsRead);
        ++m_cellsRead;
    }
    return m_cells[index];
}

template<typename Unit>
Cursor::Column Cursor::describeColumn(SQLUSMALLINT column) const
{
    std::vector<Unit> name(128);
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    constexpr auto describeCol = [] {
        if constexpr (std::is_same_v<Unit, SQLWCHAR>)
            return &SQLDescribeColW;
        else
            return &SQLDescribeCol;
    }();
    const auto describe = [&] {
        m_statement->check(describeCol(m_statement->get(),
                                       column,
                                       name.data(),
                                       SQLSMALLINT(name.size()),
                                       &nameLength,
                                       &sqlType,
                                       &size,
                                       &digits,
                                       &nullable));
    };
    describe();
    if (nameLength >= SQLSMALLINT(name.size())) {
        name.resize(nameLength + 1);
        describe();
    }
    // The driver manager answers a converted name's length in bytes; the name ends at
    // its terminator.
    const auto end = std::find(name.begin(),
                               name.begin() + std::min<qsizetype>(nameLength, name.size()),
                               0);
    return {decode(name.data(), end - name.begin()), kindOf(sqlType)};
}

template<typename T>
std::optional<T> Cursor::readFixed(SQLUSMALLINT column, SQLSMALLINT cType) const
{
    T value{};
    SQLLEN indicator = 0;
    m_statement->check(
        SQLGetData(m_statement->get(), column, cType, &value, sizeof value, &indicator));
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    return value;
}

std::optional<QString> Cursor::readText(SQLUSMALLINT column) const
{
    return m_wide ? readText(column, SQL_C_WCHAR, m_wideBuffer)
                  : readText(column, SQL_C_CHAR, m_narrowBuffer);
}

template<typename Unit>
std::optional<QString> Cursor::readText(SQLUSMALLINT column,
                                        SQLSMALLINT cType,
                                        std::vector<Unit> &buffer) const
{
    constexpr SQLLEN unit = sizeof(Unit);
    // The pieces of a long text, decoded together: a piece may end inside a character.
    std::vector<Unit> pieces;
    for (bool first = true;; first = false) {
        SQLLEN indicator = 0;
        const SQLLEN capacity = SQLLEN(buffer.size()) - 1; // units, without the terminator
        const SQLRETURN rc = SQLGetData(m_statement->get(),
                                        column,
                                        cType,
                                        buffer.data(),
                                        SQLLEN(buffer.size()) * unit,
                                        &indicator);
        // A text whose reading failed part-way cannot be read again; an empty text
        // would pass for its value.
        if (rc == SQL_NO_DATA && first)
            throw platform::RuntimeError(platform::ErrorNumber::ProviderFailure,
                                         QStringLiteral("欄位資料已讀取，無法再次讀取"));
        if (rc == SQL_NO_DATA)
            return decode(pieces.data(),
                          pieces.size()); // the last piece came with the previous call
        m_statement->check(rc);
        if (indicator == SQL_NULL_DATA)
            return std::nullopt;
        const bool truncated = indicator == SQL_NO_TOTAL || indicator / unit > capacity;
        if (!truncated && first)
            return decode(buffer.data(), indicator / unit);
        if (!truncated) {
            pieces.insert(pieces.end(), buffer.begin(), buffer.begin() + indicator / unit);
            return decode(pieces.data(), pieces.size());
        }
        // A long text comes in pieces; the buffer grows to take the rest at once.
        pieces.insert(pieces.end(), buffer.begin(), buffer.begin() + capacity);
        const SQLLEN remaining = indicator == SQL_NO_TOTAL ? capacity * 2
                                                           : indicator / unit - capacity;
        buffer.resize(std::max<size_t>(buffer.size(), size_t(remaining) + 1));
    }
}

Value Cursor::readCell(int index) const
{
    const auto column = SQLUSMALLINT(index + 1);
    switch (m_columns[index].kind) {
    case Kind::Boolean: {
        const auto v = readFixed<SQLCHAR>(column, SQL_C_BIT);
        return v ? Value(*v != 0) : Value::null();
    }
    case Kind::Integer:
    case Kind::Long: {
        // Read wide: SQLite's driver describes 64-bit values of "integer" columns as
        // SQL_INTEGER, and a narrower read would cut them short without a word.
        const auto v = readFixed<SQLBIGINT>(column, SQL_C_SBIGINT);
        if (!v)
            return Value::null();
        if (m_columns[index].kind == Kind::Integer && *v >= INT16_MIN && *v <= INT16_MAX)
            return Value(qint16(*v));
        if (*v >= INT32_MIN && *v <= INT32_MAX)
            return Value(qint32(*v));
        return Value::fromDecimalText(QString::number(*v));
    }
    case Kind::Decimal: {
        const auto v = readText(column);
        return v ? numericTextValue(*v) : Value::null();
    }
    case Kind::Single: {
        const auto v = readFixed<SQLREAL>(column, SQL_C_FLOAT);
        return v ? Value(float(*v)) : Value::null();
    }
    case Kind::Double: {
        const auto v = readFixed<SQLDOUBLE>(column, SQL_C_DOUBLE);
        return v ? Value(double(*v)) : Value::null();
    }
    case Kind::Date: {
        const auto v = readFixed<SQL_DATE_STRUCT>(column, SQL_C_TYPE_DATE);
        if (!v)
            return Value::null();
        return Value(QDate(v->year, v->month, v->day));
    }
    case Kind::Time: {
        const auto v = readFixed<SQL_TIME_STRUCT>(column, SQL_C_TYPE_TIME);
        if (!v)
            return Value::null();
        return Value(timeOfDay(v->hour, v->minute, v->second));
    }
    case Kind::Timestamp: {
        const auto v = readFixed<SQL_TIMESTAMP_STRUCT>(column, SQL_C_TYPE_TIMESTAMP);
        if (!v)
            return Value::null();
        const QTime time(v->hour, v->minute, v->second, int(v->fraction / 1000000));
        return Value(QDateTime(QDate(v->year, v->month, v->day), time));
    }
    case Kind::Text:
        break;
    }
    const auto v = readText(column);
    return v ? Value(*v) : Value::null();
}

} // namespace adodb::odbc
