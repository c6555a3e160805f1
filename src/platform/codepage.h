// The code page: text as bytes for files and the text scrambling.

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The system's ANSI code page: the character set in which log file, INI files and the
// text scrambling see text as bytes. It is the locale's character set, UTF-8 where
// that is plain ASCII, and the environment variable SUITEFRAME_CODEPAGE (an iconv
// name such as CP950 or BIG5) sets it for the whole process. A name iconv does not know
// is never in force: every conversion would come out empty, and files written from it
// would lose what they held. Nor is a code page that writes ASCII otherwise (UTF-16,
// UTF-7, EBCDIC), in which no file's "[", "=" or line end would be found, nor a name
// with one of iconv's suffixes ("//IGNORE"), which drop characters untold. Big5 by any
// of its names is code page 950, user-defined characters included.
namespace platform::codepage {

// The iconv name of the code page in force.
QString name();

// Text to bytes of the code page. A character the code page cannot hold becomes "?",
// as the Windows conversion does.
QByteArray fromUnicode(const QString &text);
// Text to bytes of the code page where it holds every character of the text; nothing
// where one would become "?", so that a name never comes out as another's.
std::optional<QByteArray> fromUnicodeWhole(const QString &text);
// Bytes of the code page to text. A byte sequence that is not valid there becomes
// U+FFFD.
QString toUnicode(const QByteArray &bytes);

// The same conversions with the code page of the iconv name given, for this one call,
// whatever the process's code page is: a Big5 file written from a UTF-8 process. lost,
// when given, receives the characters the code page could not hold, each written as
// "?", in their order. A name iconv does not know throws RuntimeError 5.
QByteArray fromUnicode(const QString &text, const QString &iconvName, QString *lost = nullptr);
QString toUnicode(const QByteArray &bytes, const QString &iconvName);

// Overrides the code page for the rest of the process (tests and programs that
// share files with machines of another code page). An empty name returns to the
// environment's choice. Answers false, keeping the code page in force, for a name that
// cannot be in force (above).
bool setName(const QString &iconvName);

// The value of SUITEFRAME_CODEPAGE when iconv does not know it, so that the locale's
// character set is in force instead; empty otherwise. Start-up tells the user.
QString refusedEnvironmentName();

} // namespace platform::codepage
