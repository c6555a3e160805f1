// The code page: text as bytes for files and the text scrambling.

#pragma once

#include <QByteArray>
#include <QString>

// The system's ANSI code page: the character set in which log file, INI files and the
// text scrambling see text as bytes. It is the locale's character set, UTF-8 where
// that is plain ASCII, and the environment variable SUITEFRAME_CODEPAGE (an iconv
// name such as CP950 or BIG5) sets it for the whole process. A name iconv does not know
// is never in force: every conversion would come out empty, and files written from it
// would lose what they held.
namespace platform::codepage {

// The iconv name of the code page in force.
QString name();

// Text to bytes of the code page. A character the code page cannot hold becomes "?",
// as the Windows conversion does.
QByteArray fromUnicode(const QString &text);
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
// environment's choice. Answers false, keeping the code page in force, for a name iconv
// cannot convert to and from.
bool setName(const QString &iconvName);

// The value of SUITEFRAME_CODEPAGE when iconv does not know it, so that the locale's
// character set is in force instead; empty otherwise. Start-up tells the user.
QString refusedEnvironmentName();

} // namespace platform::codepage
