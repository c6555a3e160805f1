// The query recordset: a statement's columns described and its rows read forward, each
// cell as a value of its column's kind.

#include "suiteframe/adodb/queryrecordset.h"

#include "suiteframe/adodb/errors.h"
#include "suiteframe/adodb/odbc_p.h"
#include "suiteframe/adodb/sqliteprovider_p.h"
#include "suiteframe/adodb/textvalues_p.h"
#include "suiteframe/platform/runtimeerror.h"

#include <algorithm>
#include <optional>
#include <type_traits>

namespace adodb {

using platform::Value;

namespace {

// How a column's cells are read and what kind of value they become.
enum class Kind { Boolean, Integer, Long, Decimal, Single, Double, Date, Time, Timestamp, Text };

Kind kindOf(SQLSMALLINT sqlType)
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

struct Column
{
    QString name;
    Kind kind;
};

// A time of day alone is a date on day 0 of the date serial.
QDateTime timeOfDay(int hour, int minute, int second)
{
    return QDateTime(platform::DateSerialEpoch, QTime(hour, minute, second));
}

QString decode(const SQLWCHAR *text, qsizetype length)
{
    return odbc::fromWide(text, length);
}

QString decode(const SQLCHAR *text, qsizetype length)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text), length);
}

} // namespace

struct QueryRecordset::Private
{
    // The embedded database's statement, where the rows come from it.
    std::unique_ptr<sqliteprovider::Statement> sqlite;
    std::unique_ptr<odbc::Statement> statement;
    std::vector<Column> columns;
    bool eof = true;
    // The current row's cells read so far; cells are read in column order.
    mutable std::vector<Value> cells;
    mutable int cellsRead = 0;
    // Texts cross in UTF-16 through the wide calls, or in UTF-8 for a driver without them.
    bool wide = true;
    // Reused for every text cell, so reading allocates only what the texts need.
    mutable std::vector<SQLWCHAR> wideBuffer = std::vector<SQLWCHAR>(512);
    mutable std::vector<SQLCHAR> narrowBuffer = std::vector<SQLCHAR>(1024);

    template<typename Unit>
    Column describeColumn(SQLUSMALLINT column) const;
    void describeColumns();
    void fetch();
    Value readCell(int index) const;
    template<typename T>
    std::optional<T> readFixed(SQLUSMALLINT column, SQLSMALLINT cType) const;
    std::optional<QString> readText(SQLUSMALLINT column) const;
    template<typename Unit>
    std::optional<QString> readText(SQLUSMALLINT column,
                                    SQLSMALLINT cType,
                                    std::vector<Unit> &buffer) const;
};

template<typename Unit>
Column QueryRecordset::Private::describeColumn(SQLUSMALLINT column) const
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
        statement->check(describeCol(statement->get(),
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

void QueryRecordset::Private::describeColumns()
{
    SQLSMALLINT count = 0;
    statement->check(SQLNumResultCols(statement->get(), &count));
    columns.reserve(count);
    for (SQLUSMALLINT i = 1; i <= count; ++i)
        columns.push_back(wide ? describeColumn<SQLWCHAR>(i) : describeColumn<SQLCHAR>(i));
    cells.resize(count);
}

void QueryRecordset::Private::fetch()
{
    cellsRead = 0;
    if (columns.empty()) {
        eof = true;
        return;
    }
    const SQLRETURN rc = statement->fetch();
    eof = rc == SQL_NO_DATA;
    if (!eof)
        statement->check(rc);
}

template<typename T>
std::optional<T> QueryRecordset::Private::readFixed(SQLUSMALLINT column, SQLSMALLINT cType) const
{
    T value{};
    SQLLEN indicator = 0;
    statement->check(SQLGetData(statement->get(), column, cType, &value, sizeof value, &indicator));
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    return value;
}

std::optional<QString> QueryRecordset::Private::readText(SQLUSMALLINT column) const
{
    return wide ? readText(column, SQL_C_WCHAR, wideBuffer)
                : readText(column, SQL_C_CHAR, narrowBuffer);
}

template<typename Unit>
std::optional<QString> QueryRecordset::Private::readText(SQLUSMALLINT column,
                                                         SQLSMALLINT cType,
                                                         std::vector<Unit> &buffer) const
{
    constexpr SQLLEN unit = sizeof(Unit);
    // The pieces of a long text, decoded together: a piece may end inside a character.
    std::vector<Unit> pieces;
    for (bool first = true;; first = false) {
        SQLLEN indicator = 0;
        const SQLLEN capacity = SQLLEN(buffer.size()) - 1; // units, without the terminator
        const SQLRETURN rc = SQLGetData(statement->get(),
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
        statement->check(rc);
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

Value QueryRecordset::Private::readCell(int index) const
{
    const auto column = SQLUSMALLINT(index + 1);
    switch (columns[index].kind) {
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
        if (columns[index].kind == Kind::Integer && *v >= INT16_MIN && *v <= INT16_MAX)
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

QueryRecordset::QueryRecordset(std::unique_ptr<odbc::Statement> statement)
    : d(std::make_unique<Private>())
{
    d->statement = std::move(statement);
    d->wide = d->statement->textCalls() == odbc::TextCalls::Wide;
    d->describeColumns();
    d->fetch();
}

QueryRecordset::QueryRecordset(std::unique_ptr<sqliteprovider::Statement> statement)
    : d(std::make_unique<Private>())
{
    d->sqlite = std::move(statement);
}

QueryRecordset::~QueryRecordset() = default;

bool QueryRecordset::isEOF() const
{
    if (d->sqlite) {
        if (!d->sqlite->isOpen())
            throw objectClosedError();
        return !d->sqlite->isOnRow();
    }
    d->statement->get(); // a recordset closed with its connection answers nothing
    return d->eof;
}

int QueryRecordset::fieldCount() const
{
    if (d->sqlite) {
        isEOF();
        return d->sqlite->columnCount();
    }
    d->statement->get();
    return int(d->columns.size());
}

QString QueryRecordset::fieldName(int index) const
{
    if (index < 0 || index >= fieldCount())
        throw platform::RuntimeError(AdoError::ItemNotFound,
                                     QStringLiteral("在集合中找不到項目 %1").arg(index));
    return d->sqlite ? d->sqlite->columnName(index) : d->columns[index].name;
}

void QueryRecordset::checkField(int index) const
{
    if (isEOF())
        throw platform::RuntimeError(AdoError::NoCurrentRecord);
    const int count = d->sqlite ? d->sqlite->columnCount() : int(d->columns.size());
    if (index < 0 || index >= count)
        fieldName(index); // throws the error of an index out of range
}

Value QueryRecordset::fieldValue(int index) const
{
    checkField(index);
    if (d->sqlite)
        return d->sqlite->value(index);
    while (d->cellsRead <= index) {
        d->cells[d->cellsRead] = d->readCell(d->cellsRead);
        ++d->cellsRead;
    }
    return d->cells[index];
}

StoredField QueryRecordset::storedField(int index) const
{
    return d->sqlite ? d->sqlite->storedField(index) : StoredField();
}

void QueryRecordset::MoveNext()
{
    if (isEOF())
        throw platform::RuntimeError(AdoError::NoCurrentRecord);
    if (d->sqlite)
        d->sqlite->step();
    else
        d->fetch();
}

} // namespace adodb
