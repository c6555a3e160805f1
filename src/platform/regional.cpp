#include "suiteframe/platform/regional.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>

namespace platform::regional {

namespace {

const QDate SerialEpoch(1899, 12, 30);

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isTaiwan(const QLocale &locale)
{
    return locale.language() == QLocale::Chinese && locale.territory() == QLocale::Taiwan;
}

// Windows names the months of zh-TW 一月 … 十二月, where CLDR has 1月 … 12月.
QString taiwanMonthName(int month)
{
    static const std::array<const char16_t *, 12> names = {
        u"一月", u"二月", u"三月", u"四月", u"五月", u"六月",
        u"七月", u"八月", u"九月", u"十月", u"十一月", u"十二月"};
    return QString::fromUtf16(names.at(month - 1));
}

QString monthName(const QLocale &locale, int month, QLocale::FormatType form)
{
    if (isTaiwan(locale))
        return taiwanMonthName(month);
    return locale.standaloneMonthName(month, form);
}

// The first separator between the fields of a QLocale date or time format; the
// blanks around it are dropped ("yy. M. d." gives ".").
QString separatorIn(const QString &format, const QString &fallback)
{
    QString run;
    bool quoted = false;
    bool afterField = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && c.isLetter()) {
            if (afterField && !run.trimmed().isEmpty())
                return run.trimmed();
            run.clear();
            afterField = true;
        } else if (afterField) {
            run += c;
        }
    }
    return fallback;
}

// The locale's order of year, month and day in its short date, as "YMD", "MDY", ….
QString fieldOrder(const QLocale &locale)
{
    QString order;
    for (const QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        const QChar field = c == u'y' ? u'Y' : c == u'M' ? u'M' : c == u'd' ? u'D' : QChar();
        if (!field.isNull() && !order.contains(field))
            order += field;
    }
    return order.size() == 3 ? order : QStringLiteral("MDY");
}

// Whether the locale writes AM/PM before the time (zh_TW: "上午 02:05:09").
bool designatorFirst(const QLocale &locale)
{
    return isTaiwan(locale) || locale.timeFormat(QLocale::ShortFormat).startsWith(u'A');
}

// QLocale's long time without the time zone, with blanks as Windows writes them.
QString longTimeFormat(const QLocale &locale)
{
    QString format;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || (c != u't' && c != u'[' && c != u']'))
            format += c == QChar(0x202F) || c == QChar(0x00A0) ? QChar(u' ') : c;
    }
    return format.simplified();
}

QString longDate(QDate date)
{
    const QLocale locale = systemLocale();
    if (isTaiwan(locale))
        return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
    return locale.toString(date, QLocale::LongFormat);
}

QString twoDigits(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace

QLocale systemLocale()
{
    const QLocale locale;
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan);
    return locale;
}

QString dateSeparator()
{
    return separatorIn(systemLocale().dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
}

QString timeSeparator()
{
    return separatorIn(systemLocale().timeFormat(QLocale::ShortFormat), QStringLiteral(":"));
}

QString shortDate(QDate date)
{
    const QLocale locale = systemLocale();
    if (isTaiwan(locale))
        return QStringLiteral("%1/%2/%3").arg(date.year()).arg(date.month()).arg(date.day());
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, format);
}

QString longTime(QTime time)
{
    const QLocale locale = systemLocale();
    if (isTaiwan(locale)) {
        const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
        return (time.hour() < 12 ? locale.amText() : locale.pmText()) + u' '
               + QStringLiteral("%1:%2:%3").arg(twoDigits(hour12), twoDigits(time.minute()),
                                                twoDigits(time.second()));
    }
    if (locale.language() == QLocale::English && locale.territory() == QLocale::UnitedStates)
        return locale.toString(time, QStringLiteral("h:mm:ss AP"));
    return locale.toString(time, longTimeFormat(locale));
}

QString generalDate(const QDateTime &dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (!dateTime.isValid())
        return {};
    if (date == SerialEpoch)
        return longTime(time);
    if (time == QTime(0, 0))
        return shortDate(date);
    return shortDate(date) + u' ' + longTime(time);
}

// ---------------------------------------------------------------------------------
// The date pattern language

namespace {

struct PatternToken
{
    QChar field;  // d w m q y h n s t c; 'a' for AM/PM forms, 'L' for AMPM; null: literal
    int length = 0;
    QString text; // literal text, or the AM/PM form as written
    bool minutes = false;
};

int tokenLength(QChar field, int run)
{
    switch (field.unicode()) {
    case u'd': return std::min(run, 6);
    case u'm': return std::min(run, 4);
    case u'y': return run >= 4 ? 4 : run >= 2 ? 2 : 1; // "yyy" is yy followed by y
    case u'w': case u'h': case u'n': case u's': return std::min(run, 2);
    default: return 1;
    }
}

void appendLiteral(QList<PatternToken> &tokens, const QString &text)
{
    if (!tokens.isEmpty() && tokens.last().field.isNull())
        tokens.last().text += text;
    else
        tokens.append({QChar(), 0, text});
}

QList<PatternToken> tokenizePattern(const QString &pattern)
{
    static const QString fields = QStringLiteral("dwmqyhnsc");
    QList<PatternToken> tokens;
    qsizetype i = 0;
    const auto startsWith = [&](QLatin1StringView form) {
        return QStringView(pattern).mid(i).startsWith(form, Qt::CaseInsensitive);
    };
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        const QChar lower = c.toLower();
        if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end;
            appendLiteral(tokens, pattern.mid(i + 1, stop - i - 1));
            i = stop + 1;
        } else if (c == u'\\') {
            appendLiteral(tokens, pattern.mid(i + 1, 1));
            i += 2;
        } else if (c == u'/') {
            appendLiteral(tokens, dateSeparator());
            ++i;
        } else if (c == u':') {
            appendLiteral(tokens, timeSeparator());
            ++i;
        } else if (startsWith(QLatin1StringView("am/pm")) || startsWith(QLatin1StringView("a/p"))) {
            const qsizetype length = startsWith(QLatin1StringView("am/pm")) ? 5 : 3;
            tokens.append({QChar(u'a'), 1, pattern.mid(i, length)});
            i += length;
        } else if (startsWith(QLatin1StringView("ampm"))) {
            tokens.append({QChar(u'L'), 1, {}});
            i += 4;
        } else if (startsWith(QLatin1StringView("ttttt"))) {
            tokens.append({QChar(u't'), 5, {}});
            i += 5;
        } else if (fields.contains(lower)) {
            qsizetype run = 1;
            while (i + run < pattern.size() && pattern.at(i + run).toLower() == lower)
                ++run;
            const int length = tokenLength(lower, int(run));
            tokens.append({lower, length, {}});
            i += length;
        } else {
            appendLiteral(tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

// m and mm straight after h or hh mean minutes; literal text in between does not
// count, any other token does.
void markMinutes(QList<PatternToken> &tokens)
{
    bool afterHour = false;
    for (PatternToken &token : tokens) {
        if (token.field.isNull())
            continue;
        token.minutes = afterHour && token.field == u'm' && token.length <= 2;
        afterHour = token.field == u'h';
    }
}

int weekOfYear(QDate date)
{
    const int firstWeekday = QDate(date.year(), 1, 1).dayOfWeek() % 7; // Sunday 0
    return (date.dayOfYear() - 1 + firstWeekday) / 7 + 1;
}

QString number(int value, int length)
{
    return length >= 2 ? twoDigits(value) : QString::number(value);
}

QString renderDay(QDate date, int length)
{
    const QLocale locale = systemLocale();
    switch (length) {
    case 3: return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
    case 4: return locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
    case 5: return shortDate(date);
    case 6: return longDate(date);
    default: return number(date.day(), length);
    }
}

QString renderMonth(QDate date, int length)
{
    if (length == 3)
        return monthName(systemLocale(), date.month(), QLocale::ShortFormat);
    if (length == 4)
        return monthName(systemLocale(), date.month(), QLocale::LongFormat);
    return number(date.month(), length);
}

QString renderYear(QDate date, int length)
{
    if (length == 1)
        return QString::number(date.dayOfYear());
    if (length == 2)
        return twoDigits(date.year() % 100);
    return QString::number(date.year());
}

QString renderAmPm(const PatternToken &token, QTime time)
{
    const bool morning = time.hour() < 12;
    if (token.field == u'L')
        return morning ? systemLocale().amText() : systemLocale().pmText();
    const qsizetype slash = token.text.indexOf(u'/');
    return morning ? token.text.left(slash) : token.text.mid(slash + 1);
}

QString renderToken(const PatternToken &token, const QDateTime &dateTime, bool twelveHour)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    switch (token.field.unicode()) {
    case u'd': return renderDay(date, token.length);
    case u'w':
        return token.length == 1 ? QString::number(date.dayOfWeek() % 7 + 1)
                                 : QString::number(weekOfYear(date));
    case u'm':
        return token.minutes ? number(time.minute(), token.length) : renderMonth(date, token.length);
    case u'q': return QString::number((date.month() - 1) / 3 + 1);
    case u'y': return renderYear(date, token.length);
    case u'h': {
        const int hour = twelveHour && time.hour() % 12 == 0 ? 12
                         : twelveHour                        ? time.hour() % 12
                                                             : time.hour();
        return number(hour, token.length);
    }
    case u'n': return number(time.minute(), token.length);
    case u's': return number(time.second(), token.length);
    case u't': return longTime(time);
    case u'c': return generalDate(dateTime);
    case u'a': case u'L': return renderAmPm(token, time);
    default: return token.text;
    }
}

} // namespace

QString formatDate(const QDateTime &dateTime, const QString &pattern)
{
    if (!dateTime.isValid())
        return {};
    QList<PatternToken> tokens = tokenizePattern(pattern);
    markMinutes(tokens);
    const bool twelveHour = std::any_of(tokens.cbegin(), tokens.cend(), [](const PatternToken &t) {
        return t.field == u'a' || t.field == u'L';
    });
    QString text;
    for (const PatternToken &token : std::as_const(tokens))
        text += renderToken(token, dateTime, twelveHour);
    return text;
}

// ---------------------------------------------------------------------------------
// Reading dates

namespace {

enum class Join { None, Blank, DateSep, TimeSep };

struct DateItem
{
    enum Kind { Number, Month, Designator } kind;
    int value = 0;      // the number, month 1-12, or 0 for AM and 1 for PM
    int digits = 0;
    Join join = Join::None; // the separator before this item
    int run = -1;       // the time run a number belongs to, or -1 for date parts
    bool leadsTime = false; // a designator written before its time ("下午 02:05")
};

struct Fields
{
    int year = 0;
    int month = 0;
    int day = 0;
};

const std::array<const char *, 12> EnglishMonths = {
    "january", "february", "march", "april", "may", "june",
    "july", "august", "september", "october", "november", "december"};

std::optional<DateItem> wordItem(const QString &word, const QLocale &locale)
{
    const QString lower = word.toLower();
    for (int month = 1; month <= 12; ++month) {
        const QString english = QLatin1String(EnglishMonths.at(month - 1));
        const QStringList names = {
            english, english.left(3), monthName(locale, month, QLocale::LongFormat).toLower(),
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
    const QString dateSep = separatorIn(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
    const QString timeSep = separatorIn(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":"));
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
            std::optional<DateItem> item = DateItem{DateItem::Number, word.toInt(), int(word.size())};
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
        const qsizetype at = std::find_if(items.cbegin(), items.cend(), isDesignator) - items.cbegin();
        const bool before = at > 0 && items[at - 1].kind == DateItem::Number
                            && items[at].join != Join::DateSep;
        const bool after = at + 1 < items.size() && items[at + 1].kind == DateItem::Number
                           && items[at + 1].join != Join::DateSep;
        if (!before && !after)
            return false;
        DateItem &hour = (after && (items[at].leadsTime || !before)) ? items[at + 1] : items[at - 1];
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
        case u'Y': f.year = fullYear(n); break;
        case u'M': f.month = twoDigitsAtMost ? n.value : 0; break;
        case u'D': f.day = twoDigitsAtMost ? n.value : 0; break;
        }
    }
    if (!validFields(f))
        return std::nullopt;
    return QDate(f.year, f.month, f.day);
}

std::optional<QDate> firstValid(const QList<DateItem> &numbers, const QStringList &orders, int month = 0)
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
        case 1: return firstValid(numbers, {QStringLiteral("D"), QStringLiteral("Y")}, month);
        case 2: return firstValid(numbers, {rest, QStringLiteral("DY"), QStringLiteral("YD")}, month);
        default: return std::nullopt;
        }
    }
    switch (numbers.size()) {
    case 2: {
        const QString dayMonth = without(order, u'Y');
        return firstValid(numbers, {dayMonth, swapDayMonth(dayMonth), QStringLiteral("MY"), QStringLiteral("YM")});
    }
    case 3:
        return firstValid(numbers, {order, QStringLiteral("YMD"), swapDayMonth(order),
                                    QStringLiteral("MDY"), QStringLiteral("DMY")});
    default: return std::nullopt;
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
    const std::optional<QDate> date = dateParts.isEmpty() ? std::optional<QDate>(SerialEpoch)
                                                          : resolveDate(dateParts, fieldOrder(locale));
    if (!time || !date || (dateParts.isEmpty() && timeNumbers.isEmpty()))
        return std::nullopt;
    return QDateTime(*date, *time, Qt::UTC);
}

// ---------------------------------------------------------------------------------
// Numbers

namespace {

// "&H" and "&O" numbers keep the sign bit of the smallest integer holding them, as
// literals do: &HFFFF is -1, &H10000 is 65536, &HFFFFFFFF is -1.
std::optional<double> parseRadix(QStringView digits, int base)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int digit = isDigit(c) ? c.digitValue()
                          : c.toLower() >= u'a' && c.toLower() <= u'f' ? c.toLower().unicode() - u'a' + 10
                                                                        : 99;
        if (digit >= base)
            return std::nullopt;
        value = value * base + quint64(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    if (value <= 0xFFFF)
        return double(qint16(quint16(value)));
    return double(qint32(quint32(value)));
}

// Reads the text character by character into a plain number text in the C locale.
class NumberReader
{
public:
    NumberReader(QStringView text, const QLocale &locale)
        : m_text(text), m_locale(locale)
    {
        m_currencies << locale.currencySymbol();
        if (isTaiwan(locale))
            m_currencies << QStringLiteral("NT$") << QStringLiteral("$");
    }

    std::optional<double> read()
    {
        readAffixes(true);
        if (!readMantissa() || !readExponent())
            return std::nullopt;
        readAffixes(false);
        if (m_pos != m_text.size() || m_parens == 1 || (m_parens == 2 && m_negative))
            return std::nullopt;
        bool ok = false; // not ok on underflow too, where the answer is 0
        const double value = QLocale::c().toDouble(m_plain, &ok);
        if (!std::isfinite(value) || (!ok && value != 0))
            return std::nullopt;
        return (m_negative || m_parens == 2) && value != 0 ? -value : value;
    }

private:
    bool take(const QString &symbol)
    {
        if (symbol.isEmpty() || !m_text.mid(m_pos).startsWith(symbol))
            return false;
        m_pos += symbol.size();
        return true;
    }

    // Blanks, one sign, one currency symbol and a parenthesis before or after.
    void readAffixes(bool leading)
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c.isSpace()) {
                ++m_pos;
            } else if ((c == u'-' || c == u'+') && !m_signed) {
                m_signed = true;
                m_negative = c == u'-';
                ++m_pos;
            } else if (c == (leading ? u'(' : u')') && m_parens == (leading ? 0 : 1)) {
                ++m_parens;
                ++m_pos;
            } else if (!m_currency && std::any_of(m_currencies.cbegin(), m_currencies.cend(),
                                                  [&](const QString &s) { return take(s); })) {
                m_currency = true;
            } else {
                return;
            }
        }
    }

    int readDigits()
    {
        int count = 0;
        while (m_pos < m_text.size() && isDigit(m_text.at(m_pos))) {
            m_plain += m_text.at(m_pos);
            ++m_pos;
            ++count;
        }
        return count;
    }

    // Digits with groups of three after each group separator, then the decimal part.
    bool readMantissa()
    {
        int digits = readDigits();
        const QString group = m_locale.groupSeparator();
        while (digits > 0 && m_text.mid(m_pos).startsWith(group)) {
            const qsizetype mark = m_pos;
            m_pos += group.size();
            if (readDigits() != 3) {
                m_pos = mark;
                return false;
            }
        }
        if (take(m_locale.decimalPoint())) {
            m_plain += u'.';
            digits += readDigits();
        }
        return digits > 0;
    }

    bool readExponent()
    {
        if (m_pos >= m_text.size() || !QStringLiteral("eEdD").contains(m_text.at(m_pos)))
            return true;
        ++m_pos;
        m_plain += u'e';
        if (m_pos < m_text.size() && (m_text.at(m_pos) == u'-' || m_text.at(m_pos) == u'+'))
            m_plain += m_text.at(m_pos++);
        return readDigits() > 0;
    }

    QStringView m_text;
    const QLocale &m_locale;
    QStringList m_currencies;
    QString m_plain;
    qsizetype m_pos = 0;
    int m_parens = 0; // 1 after "(", 2 after the matching ")"
    bool m_signed = false;
    bool m_negative = false;
    bool m_currency = false;
};

QString printed(double value, int digits)
{
    if (value == 0)
        return QStringLiteral("0"); // also for negative zero
    // The general form works as printf's %G: E notation below 1E-04 and from
    // 1E+<digits> on, trailing zeros dropped, at least two exponent digits.
    char buffer[32];
    const auto end = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                   std::chars_format::general, digits).ptr;
    QString text = QString::fromLatin1(buffer, end - buffer);
    text.replace(u'e', u'E');
    return text.replace(u'.', systemLocale().decimalPoint());
}

} // namespace

std::optional<double> parseNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() > 2 && trimmed.at(0) == u'&') {
        const QChar radix = trimmed.at(1).toUpper();
        if (radix == u'H' || radix == u'O')
            return parseRadix(QStringView(trimmed).mid(2), radix == u'H' ? 16 : 8);
    }
    return NumberReader(trimmed, systemLocale()).read();
}

QString numberText(double value)
{
    return printed(value, 15);
}

QString numberText(float value)
{
    return printed(double(value), 7);
}

} // namespace platform::regional
