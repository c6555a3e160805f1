#pragma once

#include "platform/value.h"

#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

namespace controls { class Form; }

// The shared module of the suite: error report and log, date display, settings files
// and text helpers, window and field helpers, file check.
namespace basBase {

using platform::Value;

// Process-wide settings. Each starts empty; the program's start-up fills them from
// the user's settings file (base/startupsettings.h).
inline QString LogFilePath;    // full path of the error log; empty writes no log
inline QString DateDispFormat; // default date pattern of DBDateDisp; empty: short date
inline QString DateSeparator;  // separator of DBDateDisp's assembled layouts

// --- Error report and error log -------------------------------------------------

// Reports the current error (platform::Err()) for the named procedure: beeps, appends
// the log record to LogFilePath, shows the five-line message in a warning box titled
// with the application title, and restores the default mouse pointer. Never fails.
void ReportError(const Value &procedureName);
// Appends the log record only, with the standard text of the current error number.
// Nothing visible happens. Never fails.
void LogError(const Value &procedureName);

// The five-line message of a report: procedure, number with its sign position,
// "訊息: ", the text indented by five blanks, and an empty line; each line ends in
// CR LF.
QString errorMessage(const QString &procedureName, qint32 number, const QString &text);
// The log record: the time stamp line and the message.
QString logRecord(const QDateTime &when, const QString &message);

// --- Date display -------------------------------------------------------------

// The display text of a date in one of six fixed layouts ("CCMMDD", "YYYY/MM",
// "YYMMDD", "CC/MM/DD", "YYYY/MM/DD", "YY/MM/DD"; CC is the ROC year) or, for an
// omitted or any other format code, in the pattern of DateDispFormat. A value that
// is no date gives the empty text.
QString DBDateDisp(const Value &date, const std::optional<Value> &formatCode = std::nullopt);

// --- Settings file and text helpers -----------------------------------------------

QString ReadIniValue(const QString &filePath, const QString &section, const QString &key);
void WriteIniValue(const QString &filePath, const QString &section, const QString &key,
                   const QString &value);
QString SQLQuote(const Value &value);
QString Encrypt(const QString &text, const QString &key);

// --- Window and field helpers ---------------------------------------------------

void CenterForm(controls::Form &form);
void SelectAllText(QWidget &field);
void MoveFocusByKey(qint16 keyCode);
// Wires a single-line entry field to the suite's field convention: entering it
// selects all, Enter and Down move to the next field, Up to the previous one, and
// Enter inserts nothing and does not beep.
void wireEntryField(QLineEdit *field);

// --- File check -----------------------------------------------------------------

// True when the path names an existing file system entry that is not a folder.
// Any failure answers false, without a report.
bool FileExists(const Value &path);

} // namespace basBase
