// Fields found by name, and fields as the provider holds them (none by default).

#include "suiteframe/adodb/recordset.h"

#include "suiteframe/adodb/errors.h"

namespace adodb {

int Recordset::fieldIndex(const QString &name) const
{
    const int count = fieldCount();
    for (int i = 0; i < count; ++i) {
        if (fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw platform::RuntimeError(AdoError::ItemNotFound,
                                 QStringLiteral("在集合中找不到名稱為「%1」的項目").arg(name));
}

StoredField Recordset::storedField(int) const
{
    return {};
}

} // namespace adodb
