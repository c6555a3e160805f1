// The system locale's forms: its separators, short date, long time and general date,
// with the Taiwanese forms Windows writes.

#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/regional_p.h"

#include "suiteframe/platform/value.h"

#include <array>
#include <optional>

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

namespace {

LocaleForms formsOf(const QLocale &given)
{
    LocaleForms forms;
    forms.given = given;
    forms.locale = given.language() == QLocale::C ? QLocale(QLocale::Chinese,
                                                            QLocale::TraditionalChineseScript,
                                                            QLocale::Taiwan)
                                                  : given;
    forms.taiwan = isTaiwan(forms.locale);
    forms.unitedStates = forms.locale.language() == QLocale::English
                         && forms.locale.territory() == QLocale::UnitedStates;
    forms.decimalPoint = forms.locale.decimalPoint();
    forms.amText = forms.locale.amText();
    forms.pmText = forms.locale.pmText();
    forms.shortDateFormat = forms.locale.dateFormat(QLocale::ShortFormat);
    if (!forms.shortDateFormat.contains(QLatin1String("yyyy")))
        forms.shortDateFormat.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    forms.longTimeFormat = longTimeFormat(forms.locale);
    return forms;
}

// A number's decimal digits after the text, two at least where asked.
void appendNumber(QString &text, int number, int minimumDigits = 1)
{
    char16_t digits[12];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + number % 10);
        number /= 10;
    } while (number > 0 || count < minimumDigits);
    while (count > 0)
        text += QChar(digits[--count]);
}

} // namespace

const LocaleForms &localeForms()
{
    thread_local std::optional<LocaleForms> forms;
    const QLocale given;
    if (!forms || forms->given != given)
        forms = formsOf(given);
    return *forms;
}

QLocale systemLocale()
{
    return localeForms().locale;
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
    const LocaleForms &forms = localeForms();
    if (forms.taiwan) {
        QString text;
        text.reserve(10);
        appendNumber(text, date.year());
        text += u'/';
        appendNumber(text, date.month());
        text += u'/';
        appendNumber(text, date.day());
        return text;
    }
    // The year is written whole and unpadded (100, not 0100), as the runtime does in
    // every locale, where a short date with two year digits is given four.
    QString format = forms.shortDateFormat;
    format.replace(QLatin1String("yyyy"), u'\'' + QString::number(date.year()) + u'\'');
    return forms.locale.toString(date, format);
}

QString longTime(QTime time)
{
    const LocaleForms &forms = localeForms();
    if (forms.taiwan) {
        QString text;
        text.reserve(forms.amText.size() + 9);
        text += time.hour() < 12 ? forms.amText : forms.pmText;
        text += u' ';
        appendNumber(text, time.hour() % 12 == 0 ? 12 : time.hour() % 12, 2);
        text += u':';
        appendNumber(text, time.minute(), 2);
        text += u':';
        appendNumber(text, time.second(), 2);
        return text;
    }
    if (forms.unitedStates)
        return forms.locale.toString(time, QStringLiteral("h:mm:ss AP"));
    return forms.locale.toString(time, forms.longTimeFormat);
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
