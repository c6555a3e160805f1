// The system locale's forms: its separators, short date, long time and general date,
// with the Taiwanese forms Windows writes.

#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/regional_p.h"

#include "suiteframe/platform/value.h"

#include <array>

namespace platform::regional {

namespace {

// Windows names the months of zh-TW 一月 … 十二月, where CLDR has 1月 … 12月.
QString taiwanMonthName(int month)
{
    static const std::array<const char16_t *, 12> names = {u"一月",
                                                           u"二月",
                                                           u"三月",
                                                           u"四月",
                                                           u"五月",
                                                           u"六月",
                                                           u"七月",
                                                           u"八月",
                                                           u"九月",
                                                           u"十月",
                                                           u"十一月",
                                                           u"十二月"};
    return QString::fromUtf16(names.at(month - 1));
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

} // namespace

bool isTaiwan(const QLocale &locale)
{
    return locale.language() == QLocale::Chinese && locale.territory() == QLocale::Taiwan;
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
    // The year is written whole and unpadded (100, not 0100), as the runtime does in
    // every locale, where a short date with two year digits is given four.
    QString format = locale.dateFormat(QLocale::ShortFormat);
    const QString year = u'\'' + QString::number(date.year()) + u'\'';
    if (format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yyyy"), year);
    else
        format.replace(QLatin1String("yy"), year);
    return locale.toString(date, format);
}

QString longTime(QTime time)
{
    const QLocale locale = systemLocale();
    if (isTaiwan(locale)) {
        const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
        return (time.hour() < 12 ? locale.amText() : locale.pmText()) + u' '
               + QStringLiteral("%1:%2:%3")
                     .arg(twoDigits(hour12), twoDigits(time.minute()), twoDigits(time.second()));
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
    if (date == DateSerialEpoch)
        return longTime(time);
    if (time == QTime(0, 0))
        return shortDate(date);
    return shortDate(date) + u' ' + longTime(time);
}

} // namespace platform::regional
