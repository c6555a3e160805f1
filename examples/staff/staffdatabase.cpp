// The staff table: where it is, made and filled on a first start, records read,
// inserted and updated under their row versions.

#include "staffdatabase.h"

#include <suiteframe/adodb/command.h>
#include <suiteframe/adodb/connection.h>
#include <suiteframe/adodb/queryrecordset.h>
#include <suiteframe/base/basBase.h>
#include <suiteframe/base/failure.h>
#include <suiteframe/platform/codepage.h>
#include <suiteframe/platform/runtimeerror.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cmath>

using platform::Value;

namespace staff {

namespace {

QString suiteFolder(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location) + QStringLiteral("/suiteframe");
}

// Types both SQLite and PostgreSQL know; the checks keep out what the window would
// never send.
const char16_t *const CreateTable = u"CREATE TABLE IF NOT EXISTS staff ("
                                    u"id VARCHAR(10) PRIMARY KEY, "
                                    u"name VARCHAR(40) NOT NULL CHECK (name <> ''), "
                                    u"hired DATE, "
                                    u"salary NUMERIC(10, 2) CHECK (salary >= 0), "
                                    u"note VARCHAR(200), "
                                    u"version INTEGER NOT NULL DEFAULT 0)";

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

// Runs the step and answers whether it ran to its end. A failure whose cause the
// question names is an answer, not a failure; any other is thrown on.
template<typename Step>
bool ranUnless(adodb::Connection &connection, bool (*cause)(const adodb::Errors &), Step step)
{
    const auto failed = failure::capture(step);
    if (failed && !cause(connection.Errors()))
        throw platform::RuntimeError(failed->number, failed->description);
    return !failed;
}

// The names of the staff table's columns, in lower case; none where there is no table.
// Nothing is asked of the table but its columns, which any clerk's account may read.
std::optional<QStringList> staffColumns(adodb::Connection &connection)
{
    std::unique_ptr<adodb::QueryRecordset> probe;
    if (!ranUnless(connection, adodb::isNoSuchTable, [&] {
            probe = connection.Execute(QStringLiteral("SELECT * FROM staff WHERE 1 = 0"));
        }))
        return std::nullopt;
    QStringList columns;
    for (int i = 0; i < probe->fieldCount(); ++i)
        columns << probe->fieldName(i).toLower();
    return columns;
}

bool mayWrite(const QFileInfo &file)
{
    // Root may write any file; one that nobody may write counts as read-only all the same.
    const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return file.isWritable() && (file.permissions() & write);
}

// The values of a record as the statements take them, through parameters.
Value textOrNull(const QString &text)
{
    return text.isEmpty() ? Value::null() : Value(text);
}

Value dateOrNull(const std::optional<QDate> &date)
{
    return date ? Value(*date) : Value::null();
}

Value salaryOrNull(const std::optional<qint64> &cents)
{
    return cents ? Value::fromDecimalText(staff::salaryLiteral(*cents)) : Value::null();
}

std::unique_ptr<adodb::QueryRecordset> run(adodb::Connection &connection,
                                           const QString &sql,
                                           const std::vector<Value> &parameters,
                                           qint32 *changed = nullptr)
{
    adodb::Command command(connection, sql);
    for (const Value &value : parameters)
        command.appendParameter(value);
    return command.Execute(changed);
}

std::optional<qint64> centsOf(const Value &value)
{
    if (value.isNull())
        return std::nullopt;
    return std::llround(value.toDouble() * 100);
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

QString configuredConnectionString()
{
    const QString configured = basBase::ReadIniValue(iniFilePath(),
                                                     QStringLiteral("Database"),
                                                     QStringLiteral("ConnectionString"));
    refuseCutValue(configured);
    return configured;
}

QString embeddedConnectionString()
{
    return QStringLiteral("Driver=SQLite3;Database=") + embeddedDatabasePath();
}

EmbeddedState embeddedState()
{
    const QFileInfo database(embeddedDatabasePath());
    const QFileInfo folder(database.absolutePath());
    if (!folder.exists())
        return QDir().mkpath(folder.absoluteFilePath()) ? EmbeddedState::NewFolder
                                                        : EmbeddedState::FolderNotWritable;
    if (!database.exists())
        return mayWrite(folder) ? EmbeddedState::Missing : EmbeddedState::FolderNotWritable;
    // SQLite would take an empty file for a new database: the clerk decides, as for a
    // missing one.
    if (database.isFile() && database.size() == 0)
        return mayWrite(database) && mayWrite(folder) ? EmbeddedState::Empty
                                                      : EmbeddedState::ReadOnly;
    // SQLite writes its journal beside the file.
    return mayWrite(database) && mayWrite(folder) ? EmbeddedState::Present
                                                  : EmbeddedState::ReadOnly;
}

void prepareDatabase(adodb::Connection &connection, bool withSamples)
{
    // A table is made, or a column added, only where it is missing: a clerk's account on a
    // server may read and write the table without the right to create anything.
    const std::optional<QStringList> columns = staffColumns(connection);
    if (!columns)
        connection.Execute(QString::fromUtf16(CreateTable));
    else if (!columns->contains(QStringLiteral("version"))) // made before records had versions
        connection.Execute(
            QStringLiteral("ALTER TABLE staff ADD COLUMN version INTEGER NOT NULL DEFAULT 0"));
    if (!withSamples || !isEmpty(connection))
        return;
    // All of them or none: a table left with some would never get the rest. A clerk
    // starting at the same moment may have added them first, which is as good.
    ranUnless(connection, adodb::isDuplicateKey, [&] {
        adodb::Transaction transaction(connection);
        for (const char16_t *row : SampleRows)
            connection.Execute(
                QStringLiteral("INSERT INTO staff (id, name, hired, salary, note) VALUES (%1)")
                    .arg(QString::fromUtf16(row)));
        transaction.commit();
    });
}

std::optional<Record> findRecord(adodb::Connection &connection, const QString &id)
{
    const auto found
        = run(connection,
              QStringLiteral(
                  "SELECT id, name, hired, salary, note, version FROM staff WHERE id = ?"),
              {Value(id)});
    if (found->isEOF())
        return std::nullopt;
    const auto text = [&](int field) {
        const Value value = found->fieldValue(field);
        return value.isNull() ? QString() : value.toText();
    };
    Record record{text(0), text(1), std::nullopt, centsOf(found->fieldValue(3)), text(4), 0};
    if (const Value hired = found->fieldValue(2); !hired.isNull())
        record.hired = hired.toDate().date();
    record.version = found->fieldValue(5).toLong();
    return record;
}

qint32 insertRecord(adodb::Connection &connection, const Record &record)
{
    // A record deleted and added again must not take a version a clerk may still hold
    // from before, or that clerk's save would replace it unseen: versions start anywhere.
    const auto version = qint32(QRandomGenerator::global()->bounded(1, 1 << 30));
    run(connection,
        QStringLiteral("INSERT INTO staff (id, name, hired, salary, note, version) "
                       "VALUES (?, ?, ?, ?, ?, ?)"),
        {Value(record.id),
         Value(record.name),
         dateOrNull(record.hired),
         salaryOrNull(record.salaryCents),
         textOrNull(record.note),
         Value(version)});
    return version;
}

bool updateRecord(adodb::Connection &connection, const Record &record)
{
    qint32 changed = 0;
    run(connection,
        QStringLiteral("UPDATE staff SET name = ?, hired = ?, salary = ?, note = ?, "
                       "version = version + 1 WHERE id = ? AND version = ?"),
        {Value(record.name),
         dateOrNull(record.hired),
         salaryOrNull(record.salaryCents),
         textOrNull(record.note),
         Value(record.id),
         Value(record.version)},
        &changed);
    return changed == 1;
}

std::unique_ptr<adodb::QueryRecordset> listRecords(adodb::Connection &connection,
                                                   const QString &fields,
                                                   const QString &id,
                                                   const QString &name)
{
    const QString select = QStringLiteral("SELECT %1 FROM staff").arg(fields);
    const QString order = QStringLiteral(" ORDER BY id");
    if (!normalizedId(id).isEmpty())
        return run(connection,
                   select + QStringLiteral(" WHERE id = ?") + order,
                   {Value(normalizedId(id))});
    if (name.trimmed().isEmpty())
        return run(connection, select + order, {});
    return run(connection,
               select + QStringLiteral(" WHERE name LIKE ? ESCAPE '\\'") + order,
               {Value(u'%' + adodb::likeLiteral(name.trimmed()) + u'%')});
}

} // namespace staff
