// Internal to the start-up: the per-user settings of basBase. Not installed.

#pragma once

#include <QString>
#include <QStringList>

// The per-user settings that fill basBase's process-wide settings at start-up.
//
// The file is $XDG_CONFIG_HOME/suiteframe/suiteframe.ini (~/.config/... by default),
// section [basBase], keys LogFilePath, DateDispFormat and DateSeparator; the
// environment variable SUITEFRAME_SETTINGS names another file. Every key may be
// missing. A missing or empty LogFilePath logs to
// $XDG_STATE_HOME/suiteframe/error.log (~/.local/state/...), whose folder is created.
namespace basBase::startup {

QString settingsFilePath();
QString defaultLogFilePath();

// Reads the settings file into LogFilePath, DateDispFormat and DateSeparator. A file
// path read from a settings file that other users may write is honoured only where
// all of them may write its folder themselves; otherwise the default stays, and the
// answer holds a notice for the user that names the setting.
QStringList applySettings();

} // namespace basBase::startup
