// The recordset that lives in memory, filled by its owner.

#pragma once

#include "suiteframe/adodb/recordset.h"

#include <QStringList>

#include <vector>

namespace adodb {

// A recordset that lives in memory and that its owner fills itself: fields first,
// then records. It shows computed data through the same interface as the records of a
// query. Reading starts at the first record; MoveFirst returns there.
//
// Reading a field past the last record, or a field index outside the fields, throws
// platform::RuntimeError (3021 no current record, 9 subscript out of range).
class MemoryRecordset : public Recordset
{
public:
    MemoryRecordset() = default;
    explicit MemoryRecordset(const QStringList &fieldNames);

    // Adds a field; records added earlier get a Null value for it.
    void appendField(const QString &name);
    // Adds a record at the end; missing trailing values are Null, extra ones are an error.
    void addRecord(const std::vector<platform::Value> &values);
    // Sets a value of the record at a position (0 = first record).
    void setValue(int record, int field, const platform::Value &value);

    int recordCount() const { return int(m_records.size()); }
    int position() const { return m_position; }
    void MoveFirst() { m_position = 0; }

    bool isEOF() const override;
    int fieldCount() const override;
    QString fieldName(int index) const override;
    using Recordset::fieldValue; // by name
    platform::Value fieldValue(int index) const override;
    void MoveNext() override;

private:
    void checkField(int index) const;

    QStringList m_fieldNames;
    std::vector<std::vector<platform::Value>> m_records;
    int m_position = 0;
};

} // namespace adodb
