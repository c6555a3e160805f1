// Date display of basBase: DBDateDisp's fixed layouts and its default date pattern.

#include "suiteframe/base/basBase.h"

#include "suiteframe/base/failure.h"
#include "suiteframe/platform/regional.h"

namespace basBase {

namespace {

constexpr int RocYearOffset = 1911;

// A number with leading zeros up to a minimum width, the minus sign in front:
// -5 → "-05", 123 → "123" under width 2.
QString padded(int number, int width)
{
    const QString digits = QString::number(qAbs(number)).rightJustified(width, QLatin1Char('0'));
    return number < 0 ? QLatin1Char('-') + digits : digits;
}

QString joined(const QString &year, int month, int day, const QString &separator)
{
    return year + separator + padded(month, 2) + separator + padded(day, 2);
}

QString inDefaultFormat(QDate date)
{
    const QDateTime midnight(date, QTime(0, 0));
    if (DateDispFormat.isEmpty())
        return platform::regional::generalDate(midnight);
    return platform::regional::formatDate(midnight, DateDispFormat);
}

QString display(QDate date, const QString &code)
{
    const qint16 year = qint16(date.year());
    const qint16 month = qint16(date.month());
    const qint16 day = qint16(date.day());
    const QDateTime midnight(date, QTime(0, 0));
    if (code == QLatin1String("CCMMDD"))
        return joined(padded(year - RocYearOffset, 2), month, day, QString());
    if (code == QLatin1String("YYYY/MM"))
        return platform::regional::formatDate(midnight, code);
    if (code == QLatin1String("YYMMDD"))
        return platform::regional::formatDate(midnight, code);
    if (code == QLatin1String("CC/MM/DD"))
        return joined(padded(year - RocYearOffset, 2), month, day, DateSeparator);
    if (code == QLatin1String("YYYY/MM/DD"))
        return joined(padded(year, 4), month, day, DateSeparator);
    if (code == QLatin1String("YY/MM/DD"))
        return joined(padded(year, 2).right(2), month, day, DateSeparator);
    return inDefaultFormat(date);
}

} // namespace

QString DBDateDisp(const platform::Value &date, const std::optional<platform::Value> &formatCode)
{
    QString result;
    failure::report(QStringLiteral("DBDateDisp"), [&] {
        if (!date.isDate())
            return;
        const QDate day = date.toDate().date();
        // A null code matches none of the layouts, as any other unknown code.
        QString code = DateDispFormat;
        if (formatCode)
            code = formatCode->isNull() ? QString() : formatCode->toText();
        result = display(day, code);
    });
    return result;
}

} // namespace basBase
