// The query recordset: a provider's cursor read forward under the recordset's rules.

#include "suiteframe/adodb/queryrecordset.h"

#include "suiteframe/adodb/cursor_p.h"
#include "suiteframe/adodb/errors.h"

namespace adodb {

QueryRecordset::QueryRecordset(std::unique_ptr<Cursor> cursor)
    : m_cursor(std::move(cursor))
{}

QueryRecordset::~QueryRecordset() = default;

void QueryRecordset::requireOpen() const
{
    if (!m_cursor->isOpen()) // closed with its connection
        throw objectClosedError();
}

bool QueryRecordset::isEOF() const
{
    requireOpen();
    return !m_cursor->isOnRow();
}

int QueryRecordset::fieldCount() const
{
    requireOpen();
    return m_cursor->columnCount();
}

QString QueryRecordset::fieldName(int index) const
{
    if (index < 0 || index >= fieldCount())
        throw platform::RuntimeError(AdoError::ItemNotFound,
                                     QStringLiteral("在集合中找不到項目 %1").arg(index));
    return m_cursor->columnName(index);
}

void QueryRecordset::requireField(int index) const
{
    if (isEOF())
        throw platform::RuntimeError(AdoError::NoCurrentRecord);
    if (index < 0 || index >= m_cursor->columnCount())
        fieldName(index); // throws the error of an index out of range
}

platform::Value QueryRecordset::fieldValue(int index) const
{
    requireField(index);
    return m_cursor->value(index);
}

StoredField QueryRecordset::storedField(int index) const
{
    return m_cursor->storedField(index);
}

void QueryRecordset::MoveNext()
{
    if (isEOF())
        throw platform::RuntimeError(AdoError::NoCurrentRecord);
    m_cursor->step();
}

} // namespace adodb
