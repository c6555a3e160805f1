// The start-up settings: the per-user settings file and the default error log, read
// into basBase's process-wide settings.

#include "suiteframe/base/startupsettings_p.h"

#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/privateprofile.h"

#include <QDir>
#include <QFileInfo>

namespace basBase::startup {

namespace {

QString xdgDirectory(const char *variable, const QString &fallbackUnderHome)
{
    const QString fromEnvironment = qEnvironmentVariable(variable);
    if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment))
        return fromEnvironment;
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}

QString readSetting(const QString &key)
{
    return platform::privateprofile::wholeProfileString(QStringLiteral("basBase"),
                                                        key,
                                                        settingsFilePath());
}

} // namespace

QString settingsFilePath()
{
    const QString named = qEnvironmentVariable("SUITEFRAME_SETTINGS");
    if (!named.isEmpty())
        return named;
    return xdgDirectory("XDG_CONFIG_HOME", QStringLiteral(".config"))
           + QStringLiteral("/suiteframe/suiteframe.ini");
}

QString defaultLogFilePath()
{
    return xdgDirectory("XDG_STATE_HOME", QStringLiteral(".local/state"))
           + QStringLiteral("/suiteframe/error.log");
}

void applySettings()
{
    LogFilePath = readSetting(QStringLiteral("LogFilePath"));
    DateDispFormat = readSetting(QStringLiteral("DateDispFormat"));
    DateSeparator = readSetting(QStringLiteral("DateSeparator"));
    if (LogFilePath.isEmpty()) {
        LogFilePath = defaultLogFilePath();
        QDir().mkpath(QFileInfo(LogFilePath).absolutePath());
    }
}

} // namespace basBase::startup
