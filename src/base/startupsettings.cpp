// The start-up settings: the per-user settings file and the default error log, read
// into basBase's process-wide settings.

#include "suiteframe/base/startupsettings_p.h"

#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/privateprofile.h"
#include "suiteframe/platform/sharedfolder_p.h"

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

// A log path that users other than this one could have written into the settings file
// is kept only where those users could write the log's folder themselves: otherwise
// one clerk could aim another's error reports at her own files (~/.profile).
QString distrustedLogPath(const QString &logFilePath)
{
    const platform::sharedfolder::Writers writers = platform::sharedfolder::othersWhoMayWrite(
        settingsFilePath());
    if (writers.onlyTrusted()
        || platform::sharedfolder::mayAllWriteFolder(writers, QFileInfo(logFilePath).absolutePath()))
        return QString();
    return QStringLiteral(
               "設定檔 %1 的 [basBase] LogFilePath 指向 %2，但其他使用者也能修改這個設定檔，"
               "而他們不能寫入那個資料夾：為了不讓別人指定您的檔案，錯誤記錄改記在 %3。")
        .arg(settingsFilePath(), logFilePath, defaultLogFilePath());
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

QStringList applySettings()
{
    QStringList notices;
    LogFilePath = readSetting(QStringLiteral("LogFilePath"));
    DateDispFormat = readSetting(QStringLiteral("DateDispFormat"));
    DateSeparator = readSetting(QStringLiteral("DateSeparator"));
    if (!LogFilePath.isEmpty()) {
        if (const QString notice = distrustedLogPath(LogFilePath); !notice.isEmpty()) {
            notices << notice;
            LogFilePath.clear();
        }
    }
    if (LogFilePath.isEmpty()) {
        LogFilePath = defaultLogFilePath();
        QDir().mkpath(QFileInfo(LogFilePath).absolutePath());
    }
    return notices;
}

} // namespace basBase::startup
