// The recordset of a query's rows, read forward.

#pragma once

#include "suiteframe/adodb/recordset.h"

#include <memory>

namespace adodb {

class Cursor;

// The rows of a query, read forward as the caller moves: only the current row is held,
// so a result of any size costs the same memory. Field names come from the columns;
// values keep their kinds: NULL is Null, small and 32-bit integers are Integer and Long
// (a value too large for its column's kind is Decimal), 64-bit integers and exact
// decimals are Decimal, floats are Single and Double, dates, times and time stamps are
// Date, flags are Boolean, and everything else is text. Each provider tells its columns'
// kinds its own way.
class QueryRecordset final : public Recordset
{
public:
    // Takes over a provider's statement standing on its first row, or at its end.
    explicit QueryRecordset(std::unique_ptr<Cursor> cursor);
    ~QueryRecordset() override;

    bool isEOF() const override;
    int fieldCount() const override;
    QString fieldName(int index) const override;
    using Recordset::fieldValue; // by name
    platform::Value fieldValue(int index) const override;
    void MoveNext() override;
    // The field as its provider holds it (the embedded database's texts, numbers and
    // dates); Other where the provider keeps none.
    StoredField storedField(int index) const override;

private:
    // Throws where the recordset is closed, where there is no current record or no field
    // at index.
    void requireOpen() const;
    void requireField(int index) const;

    std::unique_ptr<Cursor> m_cursor;
};

} // namespace adodb
