// The memory recordset: fields and records added by its owner, read forward.

#include "suiteframe/adodb/memoryrecordset.h"

#include "suiteframe/platform/runtimeerror.h"

namespace adodb {

using platform::RuntimeError;
namespace ErrorNumber = platform::ErrorNumber;

MemoryRecordset::MemoryRecordset(const QStringList &fieldNames)
{
    for (const QString &name : fieldNames)
        appendField(name);
}

void MemoryRecordset::appendField(const QString &name)
{
    m_fieldNames.append(name);
    for (auto &record : m_records)
        record.push_back(platform::Value::null());
}

void MemoryRecordset::addRecord(const std::vector<platform::Value> &values)
{
    if (values.size() > std::size_t(m_fieldNames.size()))
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    auto &record = m_records.emplace_back(values);
    record.resize(m_fieldNames.size(), platform::Value::null());
}

void MemoryRecordset::setValue(int record, int field, const platform::Value &value)
{
    if (record < 0 || record >= recordCount())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    checkField(field);
    m_records[record][field] = value;
}

bool MemoryRecordset::isEOF() const
{
    return m_position >= recordCount();
}

int MemoryRecordset::fieldCount() const
{
    return int(m_fieldNames.size());
}

QString MemoryRecordset::fieldName(int index) const
{
    checkField(index);
    return m_fieldNames[index];
}

platform::Value MemoryRecordset::fieldValue(int index) const
{
    checkField(index);
    if (isEOF())
        throw RuntimeError(ErrorNumber::NoCurrentRecord);
    return m_records[m_position][index];
}

void MemoryRecordset::MoveNext()
{
    if (isEOF())
        throw RuntimeError(ErrorNumber::NoCurrentRecord);
    ++m_position;
}

void MemoryRecordset::checkField(int index) const
{
    if (index < 0 || index >= fieldCount())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
}

} // namespace adodb
