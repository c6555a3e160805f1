// basBase: the suite's shared routines.

#pragma once

#include "suiteframe/platform/value.h"

#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

namespace controls {
class Form;
}

// The shared module of the suite: error report and log, date display, settings files
// and text helpers, window and field helpers, file check.
namespace basBase {

// Process-wide settings. Each starts empty; the program's start-up fills them from
// the user's settings file, section [basBase] (see the README).
// Full path of the error log; empty writes no log. Start-up sets it from the settings
// file, whose empty LogFilePath means the default ~/.local/state/suiteframe/error.log.
inline QString LogFilePath;
inline QString DateDispFormat; // default date pattern of DBDateDisp; empty: short date
inline QString DateSeparator;  // separator of DBDateDisp's assembled layouts

// --- Error report and error log -------------------------------------------------

// Reports the current error (platform::Err()) for the named procedure: beeps, appends
// the log record to LogFilePath, shows the five-line message in a warning box titled
// with the application title, and restores the default mouse pointer. Never fails.
// A log that refuses the record (a link another user planted in a shared folder, a
// FIFO, a lock held past its bound: platform/sharedfolder_p.h) does not lose it: it
// goes to the user's own default log, or to standard error where that default refused,
// and the warning box says so after the five lines. The same holds for the two below,
// which say it on standard error alone.
void ReportError(const platform::Value &procedureName);
// Appends the log record only, with the standard text of the current error number.
// Nothing visible happens. Never fails.
void LogError(const platform::Value &procedureName);
// Appends the log record that ReportError would write, with the current error's own
// description, and nothing visible happens: for a program that tells the user of the
// failure in words of its own and keeps the provider's text for whoever reads the
// log. Never fails.
void LogReport(const platform::Value &procedureName);

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
QString DBDateDisp(const platform::Value &date,
                   const std::optional<platform::Value> &formatCode = std::nullopt);

// --- Settings file and text helpers -----------------------------------------------

// The value of the key in the section of the INI file, as the Windows programs of the
// suite read it (platform/privateprofile.h): at most 127 bytes of the code page, cut
// before a character that would not fit whole. A missing file, section or key and an
// empty value all give the empty text. Never fails.
QString ReadIniValue(const QString &filePath, const QString &section, const QString &key);
// Sets the key in the section of the INI file to the value, creating file, section and
// key as needed and keeping every other line as it was. The file is replaced
// atomically, under a lock against other writers. Refused with RuntimeError 5: a value
// holding a CR or LF, and a section or key the file would not give back (one holding a
// line break, a section holding "]", a key holding "=" or starting with ";" or "[", or
// a name with characters the code page cannot hold, which would become "?" and name
// another key); otherwise whether the write succeeded is not reported. No failure
// handler of its own: failures go to the caller.
void WriteIniValue(const QString &filePath,
                   const QString &section,
                   const QString &key,
                   const QString &value);
// The value's text as an SQL string literal: apostrophes doubled, the blanks (code 32)
// at both ends removed, one apostrophe in front and one behind. Null gives "''". A
// value that cannot be converted to text gives the empty text. Never fails.
QString SQLQuote(const platform::Value &value);
// Scrambles the text with the key by a character-wise exclusive or of their codes in
// the code page, the key used cyclically from its first character; the same call with
// the same key gives the text back. This is obfuscation, not encryption: anyone with
// one scrambled text and its original can read the key off them.
//
// Characters outside the code page's single-byte range (Chinese characters in Big5 or
// UTF-8, any character the code page cannot hold) are left unchanged, and so is a
// character whose key character, or whose scrambled code, is not a single-byte
// character of the code page; the key position moves on all the same. So the result
// always stays text the code page can hold, and scrambling stays its own inverse. For
// texts and keys of codes below 128 every result code is again below 128.
//
// An empty key with a non-empty text is a failure (RuntimeError 5); failures are
// reported through ReportError as "Encrypt", and the empty text is returned.
QString Encrypt(const QString &text, const QString &key);

// --- Window and field helpers ---------------------------------------------------

// Places the window in the middle of the screen, 187.5 twips above the true centre:
// Left = (screen width - width) / 2, Top = (screen height - height - 375) / 2, computed
// in single precision; a window larger than the screen goes partly off it. A step that
// fails is skipped. Call it just before the window is shown.
void CenterForm(controls::Form &form);
// Selects the whole text of the field (QLineEdit, editable QComboBox, QAbstractSpinBox,
// QTextEdit, QPlainTextEdit). Any other widget fails with RuntimeError 438. No failure
// handler of its own.
void SelectAllText(QWidget &field);
// For the key code of a key-down event: Enter (13) and Down (40) queue a Tab, Up (38) a
// Shift+Tab to the active window, which moves the focus along its tab order, wrapping
// around; any other code does nothing. Returns at once, before the focus has moved.
void MoveFocusByKey(qint16 keyCode);
// Wires a single-line entry field to the suite's field convention: entering it
// selects all, Enter and Down move to the next field, Up to the previous one, and
// Enter inserts nothing, does not beep and goes no further. The wiring lives as long as
// the field; wiring a field twice wires it once. Failures inside the field's handlers
// are reported under "<window>_<field>_GotFocus" or "..._KeyDown".
void wireEntryField(QLineEdit *field);

// --- File check -----------------------------------------------------------------

// True when the path names an existing file system entry that is not a folder.
// Any failure answers false, without a report.
bool FileExists(const platform::Value &path);

} // namespace basBase
