// Staff records: dates in the calendar shown, amounts in cents, and the checks of what
// a clerk typed, each with a message that names the field.

#include "staffrecord.h"

#include <suiteframe/base/basBase.h>

#include <QRegularExpression>

namespace staff {

namespace {

// The first year of the Republic is 1912.
constexpr int RocYearOffset = 1911;

// Full-width digits, letters and signs, as a Chinese input method types them, become
// the half-width ones.
QString halfWidth(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).trimmed();
}

qsizetype characters(const QString &text)
{
    return text.toUcs4().size();
}

std::optional<qint64> readSalary(const QString &text)
{
    // NUMERIC(10, 2): eight digits before the point, two after. Commas may part the
    // thousands, and only them: "52000,5" is a slip, not 520005.
    static const QRegularExpression amount(
        QStringLiteral("^(\\d{1,3}(?:,\\d{3})+|\\d+)(?:\\.(\\d{1,2}))?$"));
    const auto match = amount.match(halfWidth(text));
    const QString whole = match.captured(1).remove(u',');
    if (!match.hasMatch() || whole.size() > 8)
        return std::nullopt;
    const QString cents = match.captured(2).leftJustified(2, u'0');
    return whole.toLongLong() * 100 + cents.toLongLong();
}

Problem problem(Field field, const QString &message)
{
    return {field, message};
}

} // namespace

Calendar shownCalendar()
{
    return basBase::DateDispFormat.startsWith(QStringLiteral("CC"), Qt::CaseInsensitive)
               ? Calendar::Roc
               : Calendar::Gregorian;
}

QString dateText(const std::optional<QDate> &date, Calendar calendar)
{
    if (!date)
        return QString();
    if (calendar == Calendar::Roc)
        return QStringLiteral("%1/%2/%3")
            .arg(date->year() - RocYearOffset)
            .arg(date->month(), 2, 10, QLatin1Char('0'))
            .arg(date->day(), 2, 10, QLatin1Char('0'));
    return date->toString(QStringLiteral("yyyy/MM/dd"));
}

QString otherCalendarText(const QDate &date, Calendar calendar)
{
    return calendar == Calendar::Roc ? QStringLiteral("西元 ") + dateText(date, Calendar::Gregorian)
                                     : QStringLiteral("民國 ") + dateText(date, Calendar::Roc);
}

std::optional<QDate> readDate(const QString &text, Calendar calendar)
{
    // A year before the Republic's first is written with a minus sign, as the frame's date
    // display writes it: 1905 is -6.
    static const QRegularExpression roc(
        QStringLiteral("^(-?\\d{1,3})[/-](\\d{1,2})[/-](\\d{1,2})$"));
    static const QRegularExpression gregorian(
        QStringLiteral("^(\\d{4})[/-](\\d{1,2})[/-](\\d{1,2})$"));
    const auto match = (calendar == Calendar::Roc ? roc : gregorian).match(halfWidth(text));
    if (!match.hasMatch())
        return std::nullopt;
    int year = match.captured(1).toInt();
    if (calendar == Calendar::Roc)
        year += RocYearOffset;
    const QDate date(year, match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString salaryText(const std::optional<qint64> &cents)
{
    if (!cents)
        return QString();
    QString text = salaryLiteral(*cents);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString salaryLiteral(qint64 cents)
{
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QString normalizedId(const QString &text)
{
    return halfWidth(text).toUpper();
}

Checked check(const Entry &entry, Calendar calendar)
{
    Checked checked;
    Record &record = checked.record;
    static const QRegularExpression idForm(QStringLiteral("^[A-Z0-9]{1,%1}$").arg(IdLength));
    record.id = normalizedId(entry.id);
    record.name = entry.name.trimmed();
    record.note = entry.note.trimmed();
    if (record.id.isEmpty()) {
        checked.problem = problem(Field::Id, QStringLiteral("請輸入員工編號。"));
    } else if (!idForm.match(record.id).hasMatch()) {
        checked.problem = problem(Field::Id,
                                  QStringLiteral("員工編號只能有英文字母和數字，最多 %1 個字，"
                                                 "例如 A006。")
                                      .arg(IdLength));
    } else if (record.name.isEmpty()) {
        checked.problem = problem(Field::Name, QStringLiteral("請輸入姓名。"));
    } else if (characters(record.name) > NameLength) {
        checked.problem = problem(Field::Name,
                                  QStringLiteral("姓名最多 %1 個字，現在有 %2 個字。")
                                      .arg(NameLength)
                                      .arg(characters(record.name)));
    } else if (!entry.hired.trimmed().isEmpty()
               && !(record.hired = readDate(entry.hired, calendar))) {
        checked.problem
            = problem(Field::Hired,
                      calendar == Calendar::Roc
                          ? QStringLiteral("到職日請以民國年/月/日輸入，例如 115/12/10。")
                          : QStringLiteral("到職日請以西元年/月/日輸入，例如 1988/07/15。"));
    } else if (!entry.salary.trimmed().isEmpty()
               && !(record.salaryCents = readSalary(entry.salary))) {
        checked.problem = problem(Field::Salary,
                                  QStringLiteral(
                                      "月薪請輸入 0 到 99999999.99 的金額，最多兩位小數，"
                                      "例如 45000 或 52000.5。"));
    } else if (characters(record.note) > NoteLength) {
        checked.problem = problem(Field::Note,
                                  QStringLiteral("備註最多 %1 個字，現在有 %2 個字。")
                                      .arg(NoteLength)
                                      .arg(characters(record.note)));
    }
    return checked;
}

} // namespace staff
