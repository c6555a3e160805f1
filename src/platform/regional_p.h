// Internal to the regional services: the locale's forms that the date pattern
// language, reading dates and reading numbers share. Not installed.

#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace platform::regional {

inline bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isTaiwan(const QLocale &locale);
// The month's name, with Windows' names for zh_TW (一月 … 十二月).
QString monthName(const QLocale &locale, int month, QLocale::FormatType form);
// The first separator between the fields of a QLocale date or time format.
QString separatorIn(const QString &format, const QString &fallback);
// The locale's order of year, month and day in its short date, as "YMD", "MDY", ….
QString fieldOrder(const QLocale &locale);
// Whether the locale writes AM/PM before the time.
bool designatorFirst(const QLocale &locale);
// The long date form of the system locale (zh_TW: 2012年12月8日).
QString longDate(QDate date);
QString twoDigits(int number);

// What the texts of numbers and dates take from the system locale, looked up once for
// as long as the locale stays the same: a record card writes millions of them.
struct LocaleForms
{
    QLocale given;  // the default locale these were made for
    QLocale locale; // the system locale it stands for (zh_TW for C)
    bool taiwan = false;
    bool unitedStates = false;
    QString decimalPoint;
    QString amText;
    QString pmText;
    QString shortDateFormat; // outside zh_TW, with four year digits asked for
    QString longTimeFormat;  // outside zh_TW and en_US
};
const LocaleForms &localeForms();

// A number's text, written without the heap: a grid measures a million of them.
class ShortText
{
public:
    static constexpr qsizetype Capacity = 64;

    void append(char16_t unit) { m_units[m_size++] = unit; }
    void append(QStringView text);
    void append(QLatin1StringView text);
    void appendRepeated(char16_t unit, qsizetype count);
    QStringView view() const { return QStringView(m_units, m_size); }

private:
    char16_t m_units[Capacity];
    qsizetype m_size = 0;
};

// The texts numberText gives, written into text in the locale of forms; false for a
// number that is not finite, whose text numberText alone makes.
bool writeNumberText(ShortText &text, double value, const LocaleForms &forms);
bool writeNumberText(ShortText &text, float value, const LocaleForms &forms);

} // namespace platform::regional
