// Internal to the start-up: the per-user settings of basBase. Not installed.

#pragma once

#include <QString>

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

// Reads the settings file into LogFilePath, DateDispFormat and DateSeparator.
void applySettings();

} // namespace basBase::startup
