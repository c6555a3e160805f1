// Internal to the database connection: what SQLite's stored values become, column by
// column, as the embedded database has always given them. Not installed.

#pragma once

#include "suiteframe/platform/value.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The embedded database's columns take their kind from the type their table declares,
// read by its first letters in a fixed order; a column without one (an expression, an
// aggregate) takes the kind of its value in the first row. Every cell is read from the
// text SQLite makes of it, so that what stored files and programs have always read
// stays as it was: a real has fifteen digits, an integer column holding "12x" reads 12.
namespace adodb::sqlitetypes {

// How a column's cells are read and what kind of value they become.
enum class Kind { Boolean, Integer, Long, Decimal, Double, Date, Time, Timestamp, Text };

// The kind of a column declared with the type (as written in CREATE TABLE, any case);
// an empty declaration is Text.
Kind kindOfDeclared(QByteArrayView declared);

// The kind of a column without a declared type, by SQLite's storage class of its value
// in the first row (SQLITE_INTEGER, SQLITE_FLOAT, ...).
Kind kindOfStored(int storageClass);

// The column's name as callers see it: SQLite's name cut after its last '.' of at most
// two ("t.id" is "id", the expression "3.14" is "14").
QString columnName(const char *utf8);

// The cell's value from the text SQLite makes of it (UTF-8, null for NULL). A text that
// does not read as the column's kind is Null, as an integer column holding "abc".
platform::Value cellValue(Kind kind, const char *text, int length);

// The same value for a cell SQLite holds as an integer, read without its text; nothing
// for a kind that reads the text itself (dates and times).
std::optional<platform::Value> storedIntegerValue(Kind kind, qint64 stored);

// The same for a cell SQLite holds as a real, read without its text where that text
// would not read as the real: a Double column's real (fifteenDigits), and an integer
// column's real from 1e15 on, which is written with an exponent. Nothing for the rest.
std::optional<platform::Value> storedRealValue(Kind kind, double stored);

// The serial of a Date column's cell, read from its text as cellValue reads it (days
// since 1899-12-30); nothing where the text holds no date, or a day that is none.
std::optional<double> dateSerialOf(const char *text);

// A real as its text of fifteen significant digits reads back, which is what a Double
// column's cell holding a real has always given: 0.1 + 0.2 is 0.3.
double fifteenDigits(double stored);

} // namespace adodb::sqlitetypes
