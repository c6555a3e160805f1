// The code page in force, chosen and checked through iconv, and text converted to its
// bytes and back.

#include "suiteframe/platform/codepage.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QStringList>

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

namespace platform::codepage {

namespace {

struct State
{
    QMutex mutex;
    QString overridden;
    QHash<QString, bool> known; // iconv names already tried, and whether iconv has them
};

State &state()
{
    static State s;
    return s;
}

bool opens(const QString &to, const QString &from)
{
    const iconv_t cd = iconv_open(to.toLatin1().constData(), from.toLatin1().constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

// Whether iconv converts both ways between the name and the Unicode forms used here.
// Asking iconv loads its conversion modules, so each name is asked once.
bool isKnown(State &s, const QString &iconvName)
{
    auto it = s.known.constFind(iconvName);
    if (it == s.known.constEnd()) {
        const bool known = !iconvName.isEmpty() && opens(QStringLiteral("UTF-16LE"), iconvName)
                           && opens(iconvName, QStringLiteral("UTF-32LE"));
        it = s.known.insert(iconvName, known);
    }
    return *it;
}

QString fromEnvironment()
{
    return QString::fromLatin1(qgetenv("SUITEFRAME_CODEPAGE").trimmed());
}

QString localeName()
{
    const QString locale = QString::fromLatin1(nl_langinfo(CODESET));
    if (locale.isEmpty() || locale == QLatin1String("ANSI_X3.4-1968")
        || locale.compare(QLatin1String("ASCII"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("UTF-8");
    return locale;
}

QString environmentName(State &s)
{
    const QString named = fromEnvironment();
    return !named.isEmpty() && isKnown(s, named) ? named : localeName();
}

bool isUtf8(const QString &iconvName)
{
    return iconvName.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0
           || iconvName.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0;
}

// Conversion descriptors, opened once per thread and direction: glibc loads its
// conversion modules on every iconv_open, which would dominate short conversions.
class Converters
{
public:
    Converters() = default;
    Converters(const Converters &) = delete;
    Converters &operator=(const Converters &) = delete;
    ~Converters()
    {
        for (iconv_t cd : std::as_const(m_open))
            iconv_close(cd);
    }

    iconv_t get(const QString &from, const QString &to)
    {
        const QString key = from + QLatin1Char('>') + to;
        auto it = m_open.constFind(key);
        if (it != m_open.constEnd()) {
            iconv(*it, nullptr, nullptr, nullptr, nullptr); // back to the initial state
            return *it;
        }
        iconv_t cd = iconv_open(to.toLatin1().constData(), from.toLatin1().constData());
        if (cd == reinterpret_cast<iconv_t>(-1))
            return cd;
        m_open.insert(key, cd);
        return cd;
    }

private:
    QHash<QString, iconv_t> m_open;
};

// Converts with iconv, replacing what the target cannot hold (or what is not valid in
// the source) by `replacement`, which is already encoded in the target.
QByteArray convert(const QByteArray &input,
                   const QString &from,
                   const QString &to,
                   const QByteArray &replacement,
                   int sourceUnit)
{
    thread_local Converters converters;
    iconv_t cd = converters.get(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QByteArray();
    QByteArray output;
    output.reserve(input.size() * 2 + 8);
    char buffer[4096];
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = size_t(input.size());
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, int(out - buffer));
        if (rc != size_t(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: one unit that cannot be converted; replace it and go on.
        output.append(replacement);
        const size_t skip = qMin(inLeft, size_t(sourceUnit));
        in += skip;
        inLeft -= skip;
    }
    char *out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, int(out - buffer));
    return output;
}

} // namespace

QString name()
{
    State &s = state();
    QMutexLocker lock(&s.mutex);
    return s.overridden.isEmpty() ? environmentName(s) : s.overridden;
}

bool setName(const QString &iconvName)
{
    State &s = state();
    QMutexLocker lock(&s.mutex);
    if (!iconvName.isEmpty() && !isKnown(s, iconvName))
        return false;
    s.overridden = iconvName;
    return true;
}

QString refusedEnvironmentName()
{
    State &s = state();
    QMutexLocker lock(&s.mutex);
    const QString named = fromEnvironment();
    return named.isEmpty() || isKnown(s, named) ? QString() : named;
}

QByteArray fromUnicode(const QString &text)
{
    const QString target = name();
    if (isUtf8(target))
        return text.toUtf8();
    const QList<uint> ucs4 = text.toUcs4();
    const QByteArray utf32(reinterpret_cast<const char *>(ucs4.constData()),
                           qsizetype(ucs4.size() * 4));
    return convert(utf32, QStringLiteral("UTF-32LE"), target, QByteArrayLiteral("?"), 4);
}

QString toUnicode(const QByteArray &bytes)
{
    const QString source = name();
    if (isUtf8(source))
        return QString::fromUtf8(bytes);
    const QByteArray replacement("\xFD\xFF", 2); // U+FFFD in UTF-16LE
    const QByteArray utf16 = convert(bytes, source, QStringLiteral("UTF-16LE"), replacement, 1);
    return QString(reinterpret_cast<const QChar *>(utf16.constData()), utf16.size() / 2);
}

} // namespace platform::codepage
