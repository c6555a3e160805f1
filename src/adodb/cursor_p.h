// Internal to the database connection: what each provider's statement offers the query
// recordset. Not installed.

#pragma once

#include "suiteframe/adodb/recordset.h"

#include <QString>

namespace adodb {

// A statement's rows as one provider reads them, stepped forward. The query recordset
// keeps the recordset's rules (no field at the end, an index out of range) and asks the
// cursor only for what its provider holds: a cursor is asked for a field only on a row,
// at an index it has.
class Cursor
{
public:
    virtual ~Cursor() = default;

    // False once the statement is closed with its connection.
    virtual bool isOpen() const = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int index) const = 0;
    // Whether the last step found a row.
    virtual bool isOnRow() const = 0;
    // Steps to the next row; false at the end.
    virtual bool step() = 0;
    virtual platform::Value value(int index) const = 0;
    // The field as the provider holds it, where that reads as value() does; this one is
    // also asked off a row and out of range, and then answers Other.
    virtual StoredField storedField(int) const { return {}; }
};

} // namespace adodb
