// The embedded database's cells on any stored text: each text kept as SQLite keeps it in
// a column of every declared type (as text, as a blob, cast to a real and to an integer)
// reads back without a fault, and where the card takes a field as SQLite holds it, that
// field reads exactly as its value does.
#include "fuzzinput.h"

#include "suiteframe/adodb/command.h"
#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/platform/runtimeerror.h"

#include <memory>

using namespace Qt::StringLiterals;
using adodb::StoredField;
using platform::Value;

namespace {

adodb::Connection *database = nullptr;

constexpr int Columns = 13;

// What the card would write for the field, compared with the field's value itself.
bool readsAsItsValue(const StoredField &field, const Value &value)
{
    switch (field.kind) {
    case StoredField::Kind::Other:
        return true;
    case StoredField::Kind::Null:
        return value.isNull();
    case StoredField::Kind::Utf8:
        return value == Value(QString::fromUtf8(field.utf8.data(), field.utf8.size()));
    case StoredField::Kind::Whole:
        // An Integer value is 16 bits and a Long one 32; either writes as its number.
        return (value.type() == Value::Type::Integer || value.type() == Value::Type::Long)
               && value.toLong() == field.whole;
    case StoredField::Kind::Real:
        return value == Value(field.real);
    case StoredField::Kind::Date:
        return value == Value::fromDateSerial(field.real);
    }
    return false;
}

void store(const QString &sql, const QString &text)
{
    adodb::Command insert(*database, sql);
    insert.appendParameter(Value(text));
    insert.Execute();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("LC_ALL", "zh_TW.UTF-8");
    database = new adodb::Connection;
    database->setConnectionString(u"Driver=SQLite3;Database=:memory:"_s);
    database->Open();
    database->Execute(u"CREATE TABLE cells (b BOOLEAN, i INTEGER, s SMALLINT, l BIGINT, d DOUBLE, "
                      "n NUMERIC(12,2), m DECIMAL(12,2), dt DATE, ts DATETIME, tm TIME, "
                      "t VARCHAR(20), x BLOB, u)"_s);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString text = QString::fromUtf8(input.rest());
    const QString everyColumn
        = u"SELECT v, v, v, v, v, v, v, v, v, v, v, v, v FROM (SELECT %1 AS v)"_s;
    for (const QString &stored :
         {u"?"_s, u"CAST(? AS BLOB)"_s, u"CAST(? AS REAL)"_s, u"CAST(? AS INTEGER)"_s})
        store(u"INSERT INTO cells "_s + everyColumn.arg(stored), text);

    // The last two columns have no declared type: their kinds come from the first row.
    const auto records = database->Execute(u"SELECT *, u || '', t + 0 FROM cells"_s);
    FUZZ_CHECK(records->fieldCount() == Columns + 2);
    for (; !records->isEOF(); records->MoveNext()) {
        for (int i = 0; i < records->fieldCount(); ++i) {
            const StoredField field = records->storedField(i);
            FUZZ_CHECK(readsAsItsValue(field, records->fieldValue(i)));
        }
    }
    database->Execute(u"DELETE FROM cells"_s);
    return 0;
}
