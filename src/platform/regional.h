// The regional services: the locale's forms, and dates and numbers as text.

#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// The locale services that the runtime's conversions and the date display rely on:
// the system locale, its separators and date forms, reading texts as dates and
// numbers, and the runtime's date pattern language.
namespace platform::regional {

// The system locale: the default QLocale, which follows the system unless the program
// pins it with QLocale::setDefault; zh_TW where that is C/POSIX.
QLocale systemLocale();

// The date and time separators of the system locale ("/" and ":" for zh_TW).
QString dateSeparator();
QString timeSeparator();

// The short date form of the system locale. zh_TW keeps the Windows form yyyy/M/d
// (2012/12/8); other locales follow QLocale's short format.
QString shortDate(QDate date);
// The long time form: for zh_TW "上午 hh:mm:ss" / "下午 hh:mm:ss" on a 12-hour clock.
QString longTime(QTime time);
// The general date form: short date, a blank and long time; the date is left out on
// 1899-12-30 and the time at exactly midnight. An invalid date gives an empty text.
QString generalDate(const QDateTime &dateTime);

// Formats a date with the runtime's date pattern language: d dd ddd dddd ddddd
// dddddd, w ww, m mm mmm mmmm, q, y yy yyyy, h hh, n nn, s ss, ttttt, c, AM/PM am/pm
// A/P a/p AMPM; "/" and ":" stand for the locale's separators; m after h means
// minutes; a backslash escapes, double quotes copy; any other character is copied.
// Tokens are case-insensitive. An invalid date gives an empty text.
QString formatDate(const QDateTime &dateTime, const QString &pattern);

// Reads a text as the runtime's date conversion does (the locale's short date with its
// separator, "-" and blank too, ISO y-m-d, month names, swapped day and month, a time
// after the date, times alone, two-digit years 00-29 → 20xx and 30-99 → 19xx).
// Answers nothing where the text is no date.
std::optional<QDateTime> parseDate(const QString &text);

// Reads a text as a number as the runtime does: blanks around it, a sign before or
// after, "(5)" negative, the locale's grouping, decimal sign and currency symbol, an
// exponent with e or d, "&H" and "&O" prefixes. Answers nothing where any character
// is left over or the text is empty.
std::optional<double> parseNumber(const QString &text);

// A number in the runtime's text form: up to 15 significant digits (7 for a single),
// the last rounded half away from zero, the locale's decimal sign, no grouping, and E
// notation where plain decimals would need more places than that (1E+15, 1E-16).
QString numberText(double value);
QString numberText(float value);
// The number as its text of so many significant digits reads back, rounded with ties
// away from zero as numberText rounds: 0.1 + 0.2 to 15 digits is 0.3.
double roundedToSignificantDigits(double value, int digits);

} // namespace platform::regional
