// Finding the driver library of a connection string and whether it has wide-character
// calls of its own.

#include "suiteframe/adodb/driverlibrary_p.h"

#include "suiteframe/adodb/connectionstring_p.h"

#include <odbcinst.h>
#include <sqlext.h>

#include <dlfcn.h>
#include <link.h>

namespace adodb::driverlibrary {

namespace {

QString profileValue(const QString &section, const char *key, const char *file)
{
    char value[4096] = {};
    const QByteArray name = section.toUtf8();
    SQLGetPrivateProfileString(name.constData(), key, "", value, int(sizeof value), file);
    return QString::fromUtf8(value);
}

// A driver's name in odbcinst.ini, or the path of its library, to the library.
QString libraryOfDriver(const QString &driver)
{
    if (driver.isEmpty() || driver.startsWith(u'/'))
        return driver;
    const QString wide = profileValue(driver, "Driver64", "ODBCINST.INI");
    return wide.isEmpty() ? profileValue(driver, "Driver", "ODBCINST.INI") : wide;
}

// dlsym() also searches the libraries the driver links, among them perhaps the driver
// manager with wide calls of its own: the symbol counts only where the driver defines it.
bool definesItself(void *handle, const char *symbol)
{
    void *address = dlsym(handle, symbol);
    link_map *library = nullptr;
    Dl_info where{};
    return address && dlinfo(handle, RTLD_DI_LINKMAP, &library) == 0 && dladdr(address, &where) != 0
           && where.dli_fbase == reinterpret_cast<void *>(library->l_addr);
}

// A library named without a folder is looked for as the driver manager looks for it:
// in the library path, then in the "odbc" folder beside the driver manager's own.
void *load(const QString &library)
{
    if (void *handle = dlopen(library.toUtf8().constData(), RTLD_LAZY | RTLD_LOCAL))
        return handle;
    Dl_info manager{};
    if (library.contains(u'/')
        || dladdr(reinterpret_cast<void *>(&SQLDriverConnectW), &manager) == 0)
        return nullptr;
    QString folder = QString::fromUtf8(manager.dli_fname);
    folder.truncate(folder.lastIndexOf(u'/') + 1);
    return dlopen((folder + QStringLiteral("odbc/") + library).toUtf8().constData(),
                  RTLD_LAZY | RTLD_LOCAL);
}

bool isSqliteDriverName(const QString &driver)
{
    return driver.compare(QStringLiteral("SQLite3"), Qt::CaseInsensitive) == 0
           || driver.compare(QStringLiteral("SQLite3 ODBC Driver"), Qt::CaseInsensitive) == 0;
}

bool isSqliteLibrary(const QString &library)
{
    const QString fileName = library.mid(library.lastIndexOf(u'/') + 1);
    return fileName.startsWith(QStringLiteral("libsqlite3odbc"));
}

// The data source a connection string without a driver of its own connects to.
QString dataSourceOf(const QString &connectionString)
{
    const QString dsn = connectionstring::attribute(connectionString, QStringLiteral("DSN"));
    return dsn.isEmpty() ? QStringLiteral("DEFAULT") : dsn;
}

} // namespace

bool isEmbeddedDatabase(const QString &connectionString)
{
    QString driver = connectionstring::attribute(connectionString, QStringLiteral("DRIVER"));
    if (driver.isEmpty())
        driver = profileValue(dataSourceOf(connectionString), "Driver", "ODBC.INI");
    return isSqliteDriverName(driver.trimmed()) || isSqliteLibrary(libraryOfDriver(driver));
}

QString libraryOf(const QString &connectionString)
{
    const QString driver = connectionstring::attribute(connectionString, QStringLiteral("DRIVER"));
    if (!driver.isEmpty())
        return libraryOfDriver(driver);
    return libraryOfDriver(profileValue(dataSourceOf(connectionString), "Driver", "ODBC.INI"));
}

QString attributeOrDataSources(const QString &connectionString, const QString &key)
{
    const QString own = connectionstring::attribute(connectionString, key);
    if (!own.isEmpty()
        || !connectionstring::attribute(connectionString, QStringLiteral("DRIVER")).isEmpty())
        return own;
    return profileValue(dataSourceOf(connectionString), key.toUtf8().constData(), "ODBC.INI");
}

Calls connectCalls(const QString &connectionString)
{
    const QString library = libraryOf(connectionString);
    if (library.isEmpty())
        return Calls::Unknown;
    // The driver manager loads the same library to connect; loading it here first
    // costs little, and RTLD_LAZY resolves none of its symbols but the one asked for.
    void *handle = load(library);
    if (!handle)
        return Calls::Unknown;
    const Calls calls = definesItself(handle, "SQLDriverConnectW") ? Calls::Wide : Calls::Narrow;
    dlclose(handle);
    return calls;
}

} // namespace adodb::driverlibrary
