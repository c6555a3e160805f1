#include "staffdatabase.h"

#include <suiteframe/adodb/connection.h>
#include <suiteframe/adodb/queryrecordset.h>
#include <suiteframe/base/basBase.h>
#include <suiteframe/platform/codepage.h>
#include <suiteframe/platform/runtimeerror.h>

#include <QDir>
#include <QStandardPaths>
#include <QStringList>

namespace staff {

namespace {

QString suiteFolder(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location) + QStringLiteral("/suiteframe");
}

// Types both SQLite and PostgreSQL know; the checks make a wrong entry a failing
// statement, as a server's constraints would.
const char16_t *const CreateTable = u"CREATE TABLE IF NOT EXISTS staff ("
                                    u"id VARCHAR(10) PRIMARY KEY, "
                                    u"name VARCHAR(40) NOT NULL CHECK (name <> ''), "
                                    u"hired DATE, "
                                    u"salary NUMERIC(10, 2) CHECK (salary >= 0), "
                                    u"note VARCHAR(200))";

// Chinese names (one with a character outside the basic plane), hiring dates before
// and after the first year of the Republic, amounts with and without cents, NULLs.
const char16_t *const SampleRows[] = {
    u"'A001', '林志明', '1905-03-01', NULL, '創辦人'",
    u"'A002', '陳美玲', '1912-01-01', 45000, NULL",
    u"'A003', '黃𡩋祥', '1988-07-15', 52000.5, '會計課'",
    u"'A004', '張雅婷', '2011-10-10', 61000, '業務課，外勤'",
    u"'A005', '李國華', NULL, NULL, '試用期'",
};

// ReadIniValue gives at most 127 bytes of the code page, cut before a character that
// would not fit whole. A connection string cut there could name another database, so
// one that may have been cut is refused rather than opened.
constexpr int IniValueBytes = 127;
constexpr int WidestCharacterBytes = 4;

void refuseCutValue(const QString &value)
{
    if (platform::codepage::fromUnicode(value).size() > IniValueBytes - WidestCharacterBytes) {
        throw platform::RuntimeError(platform::ErrorNumber::InvalidProcedureCall,
                                     QStringLiteral("%1 的連線字串超過 %2 位元組，讀取時可能被截斷")
                                         .arg(iniFilePath())
                                         .arg(IniValueBytes - WidestCharacterBytes));
    }
}

bool isEmpty(adodb::Connection &connection)
{
    const auto count = connection.Execute(QStringLiteral("SELECT COUNT(*) FROM staff"));
    return count->fieldValue(0).toLong() == 0;
}

} // namespace

QString iniFilePath()
{
    return suiteFolder(QStandardPaths::GenericConfigLocation) + QStringLiteral("/staff.ini");
}

QString embeddedDatabasePath()
{
    return suiteFolder(QStandardPaths::GenericDataLocation) + QStringLiteral("/staff.db");
}

QString connectionString()
{
    const QString configured = basBase::ReadIniValue(iniFilePath(),
                                                     QStringLiteral("Database"),
                                                     QStringLiteral("ConnectionString"));
    if (!configured.isEmpty()) {
        refuseCutValue(configured);
        return configured;
    }
    QDir().mkpath(suiteFolder(QStandardPaths::GenericDataLocation));
    return QStringLiteral("Driver=SQLite3;Database=") + embeddedDatabasePath();
}

void prepareDatabase(adodb::Connection &connection)
{
    connection.Execute(QString::fromUtf16(CreateTable));
    if (!isEmpty(connection))
        return;
    for (const char16_t *row : SampleRows)
        connection.Execute(
            QStringLiteral("INSERT INTO staff (id, name, hired, salary, note) VALUES (%1)")
                .arg(QString::fromUtf16(row)));
}

} // namespace staff
