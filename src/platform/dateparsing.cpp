// Reading a text as a date, as the runtime's date conversion does: the text split into
// numbers, month names and separators, then resolved by the locale's field order.

#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/regional_p.h"

#include "suiteframe/platform/value.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <array>
#include <iterator>

namespace platform::regional {

namespace {

enum class Join { None, Blank, DateSep, TimeSep };

struct DateItem
{
    enum Kind { Number, Month, Designator } kind;
    int value = 0; // the number, month 1-12, or 0 for AM and 1 for PM
    int digits = 0;
    Join join = Join::None; // the separator before this item
    int run = -1;           // the time run a number belongs to, or -1 for date parts
    bool leadsTime = false; // a designator written before its time ("下午 02:05")
};

struct Fields
{
    int year = 0;
    int month = 0;
    int day = 0;
};

const std::array<const char *, 12> EnglishMonths = {"january",
                                                    "february",
                                                    "march",
                                                    "april",
                                                    "may",
                                                    "june",
                                                    "july",
                                                    "august",
                                                    "september",
                                                    "october",
                                                    "november",
                                                    "december"};

std::optional<DateItem> wordItem(const QString &word, const QLocale &locale)
{
    const QString lower = word.toLower();
    for (int month = 1; month <= 12; ++month) {
        const QString english = QLatin1String(EnglishMonths.at(month - 1));
        const QStringList names
            = {english,
               english.left(3),
               monthName(locale, month, QLocale::LongFormat).toLower(),
               locale.monthName(month, QLocale::LongFormat).toLower(),
               locale.monthName(month, QLocale::ShortFormat).toLower().remove(u'.'),
               locale.standaloneMonthName(month, QLocale::ShortFormat).toLower().remove(u'.')};
        if (names.contains(lower))
            return DateItem{DateItem::Month, month};
    }
    if (lower == u"am" || lower == u"a")
        return DateItem{DateItem::Designator, 0};
    if (lower == u"pm" || lower == u"p")
        return DateItem{DateItem::Designator, 1};
    const bool am = lower == locale.amText().toLower();
    if (am || lower == locale.pmText().toLower()) {
        DateItem item{DateItem::Designator, am ? 0 : 1};
        item.leadsTime = designatorFirst(locale);
        return item;
    }
    return std::nullopt;
}

std::optional<Join> separatorJoin(QChar c, const QLocale &locale)
{
    const QString dateSep = separatorIn(locale.dateFormat(QLocale::ShortFormat),
                                        QStringLiteral("/"));
    const QString timeSep = separatorIn(locale.timeFormat(QLocale::ShortFormat),
                                        QStringLiteral(":"));
    if (c.isSpace() || c == u',')
        return Join::Blank;
    if (c == u'/' || c == u'-' || dateSep == c)
        return Join::DateSep;
    // "." separates hours and minutes unless the locale writes dates with it.
    if (c == u':' || c == u'.' || timeSep == c)
        return Join::TimeSep;
    return std::nullopt;
}

// Splits the text into numbers and words, each noting the separator before it.
std::optional<QList<DateItem>> tokenizeDate(const QString &text, const QLocale &locale)
{
    QList<DateItem> items;
    Join pending = Join::None;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        qsizetype end = i + 1;
        if (isDigit(c) || c.isLetter()) {
            const bool digits = isDigit(c);
            while (end < text.size() && isDigit(text.at(end)) == digits
                   && (digits || text.at(end).isLetter()))
                ++end;
            const QString word = text.mid(i, end - i);
            std::optional<DateItem> item = DateItem{DateItem::Number,
                                                    word.toInt(),
                                                    int(word.size())};
            if (!digits)
                item = wordItem(word, locale);
            else if (word.size() > 9)
                item.reset();
            if (!item)
                return std::nullopt;
            item->join = pending;
            items.append(*item);
            pending = Join::None;
        } else {
            const std::optional<Join> join = separatorJoin(c, locale);
            if (!join || items.isEmpty())
                return std::nullopt;
            if (*join != Join::Blank) {
                if (pending == Join::DateSep || pending == Join::TimeSep)
                    return std::nullopt; // two separators in a row
                pending = *join;
            } else if (pending == Join::None) {
                pending = Join::Blank;
            }
        }
        i = end;
    }
    if (pending == Join::DateSep || pending == Join::TimeSep)
        return std::nullopt;
    return items;
}

// Numbers joined by time separators form a time run; a designator makes the number
// beside it a time even alone ("1 am"). Answers false where the parts do not fit.
bool markTimeRuns(QList<DateItem> &items)
{
    int runs = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        DateItem &item = items[i];
        if (item.kind != DateItem::Number && item.join == Join::TimeSep)
            return false;
        if (item.kind == DateItem::Number && item.join == Join::TimeSep) {
            DateItem &previous = items[i - 1];
            if (previous.kind != DateItem::Number)
                return false;
            if (previous.run < 0)
                previous.run = runs++;
            item.run = previous.run;
        }
    }
    const auto isDesignator = [](const DateItem &item) { return item.kind == DateItem::Designator; };
    const qsizetype designators = std::count_if(items.cbegin(), items.cend(), isDesignator);
    if (designators > 1)
        return false;
    if (designators == 1) {
        const qsizetype at = std::find_if(items.cbegin(), items.cend(), isDesignator)
                             - items.cbegin();
        const bool before = at > 0 && items[at - 1].kind == DateItem::Number
                            && items[at].join != Join::DateSep;
        const bool after = at + 1 < items.size() && items[at + 1].kind == DateItem::Number
                           && items[at + 1].join != Join::DateSep;
        if (!before && !after)
            return false;
        DateItem &hour = (after && (items[at].leadsTime || !before)) ? items[at + 1]
                                                                     : items[at - 1];
        if (hour.run < 0)
            hour.run = runs++;
    }
    return runs <= 1;
}

bool validFields(const Fields &f)
{
    return f.year >= 100 && f.year <= 9999 && QDate::isValid(f.year, f.month, f.day);
}

int fullYear(const DateItem &number)
{
    if (number.digits > 2)
        return number.value;
    return number.value < 30 ? 2000 + number.value : 1900 + number.value;
}

// Reads the numbers in one order of fields ("MDY", "YM", …); a missing year is the
// current one and a missing day the first.
std::optional<QDate> datePerOrder(const QList<DateItem> &numbers, const QString &order, int month)
{
    Fields f{QDate::currentDate().year(), month, 1};
    for (qsizetype i = 0; i < order.size(); ++i) {
        const DateItem &n = numbers.at(i);
        const bool twoDigitsAtMost = n.digits <= 2;
        switch (order.at(i).unicode()) {
        case u'Y':
            f.year = fullYear(n);
            break;
        case u'M':
            f.month = twoDigitsAtMost ? n.value : 0;
            break;
        case u'D':
            f.day = twoDigitsAtMost ? n.value : 0;
            break;
        }
    }
    if (!validFields(f))
        return std::nullopt;
    return QDate(f.year, f.month, f.day);
}

std::optional<QDate> firstValid(const QList<DateItem> &numbers,
                                const QStringList &orders,
                                int month = 0)
{
    for (const QString &order : orders) {
        if (const std::optional<QDate> date = datePerOrder(numbers, order, month))
            return date;
    }
    return std::nullopt;
}

QString without(QString order, QChar field)
{
    return order.remove(field);
}

QString swapDayMonth(QString order)
{
    for (QChar &c : order)
        c = c == u'D' ? u'M' : c == u'M' ? u'D' : c;
    return order;
}

// The date from its parts: the locale's order first, then the orders the runtime
// falls back to when the numbers do not fit it (1970-1-13, 13-1-1970, 30 2 = Feb 1930).
std::optional<QDate> resolveDate(const QList<DateItem> &parts, const QString &order)
{
    QList<DateItem> numbers;
    int month = 0;
    for (const DateItem &part : parts) {
        if (part.kind == DateItem::Month && month != 0)
            return std::nullopt;
        if (part.kind == DateItem::Month)
            month = part.value;
        else
            numbers.append(part);
    }
    if (month != 0) {
        const QString rest = without(order, u'M');
        switch (numbers.size()) {
        case 1:
            return firstValid(numbers, {QStringLiteral("D"), QStringLiteral("Y")}, month);
        case 2:
            return firstValid(numbers, {rest, QStringLiteral("DY"), QStringLiteral("YD")}, month);
        default:
            return std::nullopt;
        }
    }
    switch (numbers.size()) {
    case 2: {
        const QString dayMonth = without(order, u'Y');
        return firstValid(numbers,
                          {dayMonth,
                           swapDayMonth(dayMonth),
                           QStringLiteral("MY"),
                           QStringLiteral("YM")});
    }
    case 3:
        return firstValid(numbers,
                          {order,
                           QStringLiteral("YMD"),
                           swapDayMonth(order),
                           QStringLiteral("MDY"),
                           QStringLiteral("DMY")});
    default:
        return std::nullopt;
    }
}

std::optional<QTime> resolveTime(const QList<DateItem> &numbers, int designator)
{
    if (numbers.isEmpty())
        return QTime(0, 0);
    if (numbers.size() > 3 || (numbers.size() == 1 && designator < 0))
        return std::nullopt;
    std::array<int, 3> hms = {0, 0, 0};
    for (qsizetype i = 0; i < numbers.size(); ++i)
        hms.at(i) = numbers.at(i).value;
    int hour = hms[0];
    if (designator >= 0 && hour <= 12) // AM/PM is ignored past 12 o'clock
        hour = hour % 12 + (designator == 1 ? 12 : 0);
    if (hour > 23 || hms[1] > 59 || hms[2] > 59)
        return std::nullopt;
    return QTime(hour, hms[1], hms[2]);
}

} // namespace

std::optional<QDateTime> parseDate(const QString &text)
{
    const QLocale locale = systemLocale();
    std::optional<QList<DateItem>> items = tokenizeDate(text.trimmed(), locale);
    if (!items || items->isEmpty() || !markTimeRuns(*items))
        return std::nullopt;

    QList<DateItem> dateParts;
    QList<DateItem> timeNumbers;
    int designator = -1;
    int switches = 0; // the date parts and the time must each be in one piece
    bool lastWasTime = false;
    for (qsizetype i = 0; i < items->size(); ++i) {
        const DateItem &item = items->at(i);
        if (item.kind == DateItem::Designator) {
            designator = item.value;
            continue;
        }
        const bool isTime = item.run >= 0;
        if (dateParts.size() + timeNumbers.size() > 0 && isTime != lastWasTime)
            ++switches;
        lastWasTime = isTime;
        (isTime ? timeNumbers : dateParts).append(item);
    }
    if (switches > 1)
        return std::nullopt;

    const std::optional<QTime> time = resolveTime(timeNumbers, designator);
    const std::optional<QDate> date = dateParts.isEmpty()
                                          ? std::optional<QDate>(DateSerialEpoch)
                                          : resolveDate(dateParts, fieldOrder(locale));
    if (!time || !date || (dateParts.isEmpty() && timeNumbers.isEmpty()))
        return std::nullopt;
    return QDateTime(*date, *time, Qt::UTC);
}

} // namespace platform::regional
