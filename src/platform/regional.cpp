#include "platform/regional.h"

// Provisional: replaced by the full locale services.
namespace platform::regional {
QLocale systemLocale() { QLocale l; return l.language() == QLocale::C ? QLocale(QLocale::Chinese, QLocale::Taiwan) : l; }
QString dateSeparator() { return QStringLiteral("/"); }
QString timeSeparator() { return QStringLiteral(":"); }
QString shortDate(QDate d) { return d.toString(QStringLiteral("yyyy/M/d")); }
QString longTime(QTime t) { return t.toString(QStringLiteral("hh:mm:ss")); }
QString generalDate(const QDateTime &dt) { return dt.time() == QTime(0, 0) ? shortDate(dt.date()) : shortDate(dt.date()) + QLatin1Char(' ') + longTime(dt.time()); }
QString formatDate(const QDateTime &dt, const QString &p)
{
    QString q = p; q.replace(QLatin1String("YYYY"), QStringLiteral("yyyy")).replace(QLatin1String("YY"), QStringLiteral("yy")).replace(QLatin1String("DD"), QStringLiteral("dd")).replace(QLatin1String("HH:MM:SS"), QStringLiteral("HH:mm:ss"));
    q.replace(QLatin1String("MM"), QStringLiteral("MM"));
    return dt.toString(q);
}
std::optional<QDateTime> parseDate(const QString &t) { QDate d = QDate::fromString(t, QStringLiteral("yyyy/M/d")); if (!d.isValid()) return std::nullopt; return QDateTime(d, QTime(0, 0)); }
std::optional<double> parseNumber(const QString &t) { bool ok; double v = t.trimmed().toDouble(&ok); if (!ok) return std::nullopt; return v; }
QString numberText(double v) { return QString::number(v, 'G', 15); }
QString numberText(float v) { return QString::number(v, 'G', 7); }
}
