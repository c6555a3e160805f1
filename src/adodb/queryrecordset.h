// The recordset of a query's rows, read forward.

#pragma once

#include "suiteframe/adodb/recordset.h"

#include <memory>

namespace adodb {

namespace odbc {
class Statement;
}
namespace sqliteprovider {
class Statement;
}

// The rows of a query, read forward as the caller moves: only the current row is
// held, so a result of any size costs the same memory. Field names come from the
// column descriptions; values keep their kinds: NULL is Null, small and 32-bit
// integers are Integer and Long (a value too large for its column's kind is Decimal),
// 64-bit integers and exact decimals are Decimal,
// single and double floats are Single and Double, dates, times and time stamps are
// Date, bit columns are Boolean, and everything else is text, read as UTF-16 (as UTF-8
// from a driver without wide-character calls, so that every character passes).
class QueryRecordset final : public Recordset
{
public:
    // Takes over a statement that has run its query and moves to the first row.
    explicit QueryRecordset(std::unique_ptr<odbc::Statement> statement);
    // Takes over a statement of the embedded database that has taken its first step.
    explicit QueryRecordset(std::unique_ptr<sqliteprovider::Statement> statement);
    ~QueryRecordset() override;

    bool isEOF() const override;
    int fieldCount() const override;
    QString fieldName(int index) const override;
    // Reads the current row's cells up to the one asked for, in column order as ODBC
    // drivers require, and keeps them until the next move.
    using Recordset::fieldValue; // by name
    platform::Value fieldValue(int index) const override;
    void MoveNext() override;
    // The embedded database's texts, whole numbers and reals, as SQLite holds them.
    StoredField storedField(int index) const override;

private:
    // Throws where there is no current record or no field at index.
    void checkField(int index) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace adodb
