// Connection strings read into their attributes and written again with others, and
// the masking of their secrets in messages.

#include "suiteframe/adodb/connectionstring_p.h"

#include "suiteframe/adodb/errors.h"

#include <algorithm>

namespace adodb::connectionstring {

namespace {

const QString &mask()
{
    static const QString text = QStringLiteral("***");
    return text;
}

bool isMaskLike(const QString &secret)
{
    return std::all_of(secret.begin(), secret.end(), [](QChar c) { return c == u'*'; });
}

// The "key=value" parts in the order written, keys as written, braced values without
// their braces ("}}" standing for one brace); what follows the last of them without an
// '=' goes to rest.
Attributes parts(const QString &connectionString, QString *rest = nullptr)
{
    Attributes found;
    qsizetype i = 0;
    const qsizetype n = connectionString.size();
    while (i < n) {
        const qsizetype equals = connectionString.indexOf(u'=', i);
        if (equals < 0) {
            if (rest)
                *rest = connectionString.mid(i);
            break;
        }
        const QString key = connectionString.mid(i, equals - i);
        QString value;
        i = equals + 1;
        if (i < n && connectionString.at(i) == u'{') {
            // A braced value runs to the closing brace; "}}" stands for one brace.
            ++i;
            while (i < n) {
                if (connectionString.at(i) == u'}') {
                    if (i + 1 < n && connectionString.at(i + 1) == u'}') {
                        value += u'}';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += connectionString.at(i++);
            }
            const qsizetype semicolon = connectionString.indexOf(u';', i);
            i = semicolon < 0 ? n : semicolon + 1;
        } else {
            const qsizetype semicolon = connectionString.indexOf(u';', i);
            const qsizetype end = semicolon < 0 ? n : semicolon;
            value = connectionString.mid(i, end - i);
            i = end + 1;
        }
        found.emplace_back(key, value);
    }
    return found;
}

bool isKey(const QString &key, const char16_t *name)
{
    return key.compare(name, Qt::CaseInsensitive) == 0;
}

[[noreturn]] void refuse(const QString &why)
{
    throw platform::RuntimeError(AdoError::InvalidArgument,
                                 QStringLiteral("連線字串無法開啟：%1").arg(why));
}

} // namespace

void requireOneReading(const QString &connectionString)
{
    QString rest;
    const Attributes written = parts(connectionString, &rest);
    if (!rest.trimmed().isEmpty())
        refuse(QStringLiteral("最後一段沒有「=」"));
    QStringList seen;
    for (const auto &[rawKey, value] : written) {
        Q_UNUSED(value);
        // The driver manager drops the blanks before a key, but not those after it.
        const QString key = rawKey.trimmed();
        if (key.isEmpty() || rawKey.back().isSpace() || key.contains(u';') || key.contains(u'{')
            || key.contains(u'}'))
            refuse(QStringLiteral("有一段的名稱是空的、以空白結尾或含有「;」「{」「}」"));
        if (isKey(key, u"FILEDSN") || isKey(key, u"SAVEFILE"))
            refuse(QStringLiteral("不接受 %1：它讀寫的檔案可以指定別的驅動程式").arg(key));
        if (seen.contains(key, Qt::CaseInsensitive))
            refuse(QStringLiteral("%1 出現了兩次，驅動程式管理員和驅動程式可能各取一個").arg(key));
        seen << key;
    }
    if (seen.contains(QStringLiteral("DRIVER"), Qt::CaseInsensitive)
        && seen.contains(QStringLiteral("DSN"), Qt::CaseInsensitive))
        refuse(QStringLiteral("同時有 Driver 和 DSN，只能指定其中一個"));
}

QString forEmbeddedDriver(const QString &connectionString)
{
    QStringList parts;
    for (const auto &[key, value] : attributesOf(connectionString)) {
        if (isKey(key, u"LOADEXT"))
            refuse(QStringLiteral("不接受 LoadExt：它會把別的程式庫載入本程式"));
        if (value.contains(u';'))
            refuse(QStringLiteral("%1 的值含有「;」，SQLite 的驅動程式無法讀取").arg(key));
        parts << key + u'=' + value;
    }
    return parts.join(u';');
}

Attributes attributesOf(const QString &connectionString)
{
    Attributes attributes;
    for (auto &[key, value] : parts(connectionString))
        attributes.emplace_back(key.trimmed(), std::move(value));
    return attributes;
}

QString attribute(const QString &connectionString, const QString &key)
{
    for (const auto &[name, value] : attributesOf(connectionString)) {
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QString();
}

QStringList secretsOf(const QString &connectionString)
{
    QStringList secrets;
    if (connectionString.isEmpty())
        return secrets;
    secrets << connectionString;
    for (const auto &[key, value] : attributesOf(connectionString)) {
        if (key.compare(u"PWD", Qt::CaseInsensitive) == 0
            || key.compare(u"PASSWORD", Qt::CaseInsensitive) == 0)
            secrets << value;
    }
    return secrets;
}

QString masked(QString text, const QStringList &secrets)
{
    // A secret of asterisks no longer than the mask hides behind it already; masking it
    // would only grow the text, each time over.
    QStringList ordered;
    for (const QString &secret : secrets) {
        if (!secret.isEmpty() && !(isMaskLike(secret) && secret.size() <= mask().size())
            && !ordered.contains(secret))
            ordered << secret;
    }
    std::sort(ordered.begin(), ordered.end(), [](const QString &a, const QString &b) {
        return a.size() > b.size();
    });
    for (const QString &secret : std::as_const(ordered))
        text.replace(secret, mask());
    // Each further replacement takes at least one character other than an asterisk out
    // of the text, so the loop ends.
    for (bool again = true; again;) {
        again = false;
        for (const QString &secret : std::as_const(ordered)) {
            if (!isMaskLike(secret) && text.contains(secret)) {
                text.replace(secret, mask());
                again = true;
            }
        }
    }
    return text;
}

QString withAttributes(const QString &connectionString,
                       const QStringList &removedKeys,
                       const Attributes &added)
{
    // Braces only where the value needs them: not every driver takes them off every value.
    const auto written = [](const QString &key, QString value) {
        if (value.contains(u';') || value.contains(u'}') || value.startsWith(u'{')
            || value.trimmed() != value) {
            value.replace(u'}', QStringLiteral("}}"));
            value = u'{' + value + u'}';
        }
        return key + u'=' + value;
    };
    // Written anew, the string would no longer show what made it ambiguous.
    requireOneReading(connectionString);
    QStringList parts;
    for (const auto &[key, value] : attributesOf(connectionString)) {
        if (!removedKeys.contains(key, Qt::CaseInsensitive))
            parts << written(key, value);
    }
    for (const auto &[key, value] : added)
        parts << written(key, value);
    return parts.join(u';');
}

} // namespace adodb::connectionstring
