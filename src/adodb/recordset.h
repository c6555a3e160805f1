// The recordset interface: a forward-only view of records.

#pragma once

#include "suiteframe/platform/value.h"

#include <QString>
#include <QUtf8StringView>

namespace adodb {

// A field of the current record as its provider holds it, where that reads exactly as
// the field's value does: Null, a text in UTF-8 (valid until the next move), a whole
// number that is an Integer or Long value, a real that is a Double value, or the serial
// of a Date value (in real). Other is any other field: a decimal, a time, a provider that
// keeps none of these. fieldValue reads it, and tells what is wrong with an index or a
// position.
struct StoredField
{
    enum class Kind : quint8 { Other, Null, Utf8, Whole, Real, Date };
    Kind kind = Kind::Other;
    qint32 whole = 0;
    double real = 0;
    QUtf8StringView utf8;
};

// A forward-only view of records, as the dialog's record list reads them: the
// current record's fields by position or by name, and a move to the next record. Each
// member may throw platform::RuntimeError (a closed recordset, a provider failure, 3021
// for a field read at the end, 3265 (AdoError::ItemNotFound) for a field not there).
class Recordset
{
public:
    virtual ~Recordset() = default;

    // True once the current position is past the last record.
    virtual bool isEOF() const = 0;
    // The number of fields of each record.
    virtual int fieldCount() const = 0;
    virtual QString fieldName(int index) const = 0;
    // The value of a field of the current record; NULL is a Null value.
    virtual platform::Value fieldValue(int index) const = 0;
    virtual void MoveNext() = 0;

    // A field of the current record read without making a value of it, for a reader of
    // many (the dialog's card); Other by default.
    virtual StoredField storedField(int index) const;

    // The position of the field named name, compared without regard to case as ADO
    // compares names: rs("名稱") is fieldValue(u"名稱"_s).
    int fieldIndex(const QString &name) const;
    platform::Value fieldValue(const QString &name) const { return fieldValue(fieldIndex(name)); }
};

} // namespace adodb
