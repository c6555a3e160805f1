// The runtime's date pattern language: a pattern read into tokens, each rendered from
// the date in the system locale.

#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/regional_p.h"

#include <QList>

namespace platform::regional {

namespace {

struct PatternToken
{
    QChar field; // d w m q y h n s t c; 'a' for AM/PM forms, 'L' for AMPM; null: literal
    int length = 0;
    QString text; // literal text, or the AM/PM form as written
    bool minutes = false;
};

int tokenLength(QChar field, int run)
{
    switch (field.unicode()) {
    case u'd':
        return std::min(run, 6);
    case u'm':
        return std::min(run, 4);
    case u'y':
        return run >= 4 ? 4 : run >= 2 ? 2 : 1; // "yyy" is yy followed by y
    case u'w':
    case u'h':
    case u'n':
    case u's':
        return std::min(run, 2);
    default:
        return 1;
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
    case 3:
        return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
    case 4:
        return locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
    case 5:
        return shortDate(date);
    case 6:
        return longDate(date);
    default:
        return number(date.day(), length);
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
    case u'd':
        return renderDay(date, token.length);
    case u'w':
        return token.length == 1 ? QString::number(date.dayOfWeek() % 7 + 1)
                                 : QString::number(weekOfYear(date));
    case u'm':
        return token.minutes ? number(time.minute(), token.length)
                             : renderMonth(date, token.length);
    case u'q':
        return QString::number((date.month() - 1) / 3 + 1);
    case u'y':
        return renderYear(date, token.length);
    case u'h': {
        const int hour = twelveHour && time.hour() % 12 == 0 ? 12
                         : twelveHour                        ? time.hour() % 12
                                                             : time.hour();
        return number(hour, token.length);
    }
    case u'n':
        return number(time.minute(), token.length);
    case u's':
        return number(time.second(), token.length);
    case u't':
        return longTime(time);
    case u'c':
        return generalDate(dateTime);
    case u'a':
    case u'L':
        return renderAmPm(token, time);
    default:
        return token.text;
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

} // namespace platform::regional
