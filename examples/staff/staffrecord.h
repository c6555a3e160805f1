// One staff record, and the checks of what a clerk typed for one.

#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace staff {

// A record as the program keeps it. The version counts the saves of the record; a
// save changes the record only while it still has the version that was loaded.
struct Record
{
    QString id;
    QString name;
    std::optional<QDate> hired;
    std::optional<qint64> salaryCents;
    QString note; // empty is NULL
    qint32 version = 0;
};

// The longest texts the table's columns hold, in characters.
constexpr int IdLength = 10;
constexpr int NameLength = 40;
constexpr int NoteLength = 200;

// The calendar in which the window shows and reads dates: the ROC calendar when the
// user's date pattern (basBase::DateDispFormat) is an ROC one, Gregorian otherwise.
enum class Calendar { Gregorian, Roc };
Calendar shownCalendar();

// "1988/07/15", or "77/07/15" in the ROC calendar; empty for no date.
QString dateText(const std::optional<QDate> &date, Calendar calendar);
// The same date in the other calendar, for beside the field: "民國 77/07/15".
QString otherCalendarText(const QDate &date, Calendar calendar);
// A date typed in the calendar shown, with full-width digits and slashes or dashes;
// nothing for anything else.
std::optional<QDate> readDate(const QString &text, Calendar calendar);

// "45000", "52000.5", "52000.55"; empty for no amount.
QString salaryText(const std::optional<qint64> &cents);
// The amount as an SQL number: "52000.50".
QString salaryLiteral(qint64 cents);

// An identifier as the table keeps it: half-width, upper case, without outer blanks.
QString normalizedId(const QString &text);

// The texts of the window's fields.
struct Entry
{
    QString id;
    QString name;
    QString hired;
    QString salary;
    QString note;

    bool operator==(const Entry &) const = default;
};

enum class Field { Id, Name, Hired, Salary, Note };

// What is wrong with an entry: the field, and a message in the clerk's words that
// names it and says what is expected.
struct Problem
{
    Field field;
    QString message;
};

// The record the entry stands for, or the first problem with it.
struct Checked
{
    Record record;
    std::optional<Problem> problem;
};
Checked check(const Entry &entry, Calendar calendar);

} // namespace staff
