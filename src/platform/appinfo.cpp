// The program's identity: its file's folder and name, and the current process's
// file, name, title and version.

#include "suiteframe/platform/appinfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

namespace platform {

namespace {

QString &programName()
{
    static QString name;
    return name;
}

} // namespace

QString AppInfo::path() const
{
    return QFileInfo(programFile).absolutePath();
}

QString AppInfo::exeName() const
{
    return QFileInfo(programFile).completeBaseName();
}

QString AppInfo::displayName() const
{
    return name.isEmpty() ? exeName() : name;
}

void AppInfo::setProgramName(const QString &name)
{
    programName() = name;
}

AppInfo AppInfo::current()
{
    AppInfo info;
    info.programFile = QCoreApplication::applicationFilePath();
    info.name = programName();
    info.title = QCoreApplication::applicationName();
    if (info.title.isEmpty())
        info.title = info.exeName();
    info.major = SUITEFRAME_VERSION_MAJOR;
    info.minor = SUITEFRAME_VERSION_MINOR;
    info.revision = SUITEFRAME_VERSION_PATCH;

    const QStringList parts = QCoreApplication::applicationVersion().split(QLatin1Char('.'));
    if (parts.size() == 3) {
        bool okMajor = false, okMinor = false, okRevision = false;
        const int major = parts[0].toInt(&okMajor);
        const int minor = parts[1].toInt(&okMinor);
        const int revision = parts[2].toInt(&okRevision);
        if (okMajor && okMinor && okRevision) {
            info.major = major;
            info.minor = minor;
            info.revision = revision;
        }
    }
    return info;
}

} // namespace platform
