#include "suiteframe/base/startupsettings_p.h"

#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/privateprofile.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace basBase::startup {

namespace {

QString xdgDirectory(const char *variable, const QString &fallbackUnderHome)
{
    const QString fromEnvironment = qEnvironmentVariable(variable);
    if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment))
        return fromEnvironment;
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}

// Read through the profile functions with a buffer of their own, so that a log path
// longer than ReadIniValue's 127 bytes (Chinese folder names soon are) is kept whole.
QString readSetting(const QString &key)
{
    std::vector<char> buffer(32768);
    const qsizetype length = platform::privateprofile::getPrivateProfileString(
        QByteArrayLiteral("basBase"), platform::codepage::fromUnicode(key), QByteArray(),
        buffer, settingsFilePath());
    return platform::codepage::toUnicode(QByteArray(buffer.data(), length));
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
