// The recordset interface: a forward-only view of records.

#pragma once

#include "suiteframe/platform/value.h"

#include <QString>
#include <QUtf8StringView>

#include <optional>

namespace adodb {

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

    // The text of a text field of the current record as the provider holds it in UTF-8,
    // without making a value of it: valid until the next move. Nothing where the field
    // holds no text (a number, a date, Null) or the provider keeps no UTF-8; fieldValue
    // reads those, and tells what is wrong with the index or the position: this answers
    // nothing for them. A reader of many texts (the dialog's card) asks this first.
    virtual std::optional<QUtf8StringView> fieldUtf8(int index) const;

    // The position of the field named name, compared without regard to case as ADO
    // compares names: rs("名稱") is fieldValue(u"名稱"_s).
    int fieldIndex(const QString &name) const;
    platform::Value fieldValue(const QString &name) const { return fieldValue(fieldIndex(name)); }
};

} // namespace adodb
