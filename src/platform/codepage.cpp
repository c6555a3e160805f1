// The code page in force, chosen and checked through iconv, and text converted to its
// bytes and back.

#include "suiteframe/platform/codepage.h"

#include "suiteframe/platform/codepage950_p.h"
#include "suiteframe/platform/runtimeerror.h"

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

// Whether the code page writes ASCII as ASCII (below, with the conversions).
bool keepsAscii(const QString &iconvName);

// Whether iconv converts both ways between the name and the Unicode forms used here,
// writing ASCII as it is. A name is a code page's alone: iconv's suffixes ("//IGNORE",
// "//TRANSLIT") would drop or alter characters without telling. Asking iconv loads its
// conversion modules, so each name is asked once.
bool isKnown(State &s, const QString &iconvName)
{
    auto it = s.known.constFind(iconvName);
    if (it == s.known.constEnd()) {
        const bool known = !iconvName.isEmpty() && !iconvName.contains(u'/')
                           && opens(QStringLiteral("UTF-16LE"), iconvName)
                           && opens(iconvName, QStringLiteral("UTF-32LE")) && keepsAscii(iconvName);
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

// How many bytes of the source, from where iconv stopped, make up the one unit that it
// cannot convert.
using UnitLength = size_t (*)(const char *at, size_t left);

size_t oneByte(const char *, size_t)
{
    return 1;
}

size_t oneUtf32Character(const char *, size_t left)
{
    return qMin(left, size_t(4));
}

// A lead byte and a trail byte are one character, known to the converter or not: the
// trail byte never stands on its own, nor starts a character with the byte after it.
size_t oneCodePage950Character(const char *at, size_t left)
{
    const auto lead = static_cast<unsigned char>(at[0]);
    return left >= 2 && codepage950::isLeadByte(lead)
                   && codepage950::isTrailByte(static_cast<unsigned char>(at[1]))
               ? 2
               : 1;
}

// Converts with iconv, replacing what the target cannot hold (or what is not valid in
// the source) by `replacement`, which is already encoded in the target.
// The units replaced, as they stood in the input, go to replaced when it is given.
QByteArray convert(const QByteArray &input,
                   const QString &from,
                   const QString &to,
                   const QByteArray &replacement,
                   UnitLength unitLength,
                   QByteArray *replaced = nullptr)
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
        const size_t skip = unitLength(in, inLeft);
        if (replaced)
            replaced->append(in, qsizetype(skip));
        in += skip;
        inLeft -= skip;
    }
    char *out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, int(out - buffer));
    return output;
}

// Whether the code page writes ASCII as ASCII, one byte each, as the settings files,
// the log and the suite's texts take for granted: "[", "=", ";" and line ends are
// found as bytes. UTF-16, UTF-7 and EBCDIC do not.
bool keepsAscii(const QString &iconvName)
{
    QByteArray ascii = "\t\n\r";
    for (char c = ' '; c < 0x7F; ++c)
        ascii += c;
    return convert(ascii, QStringLiteral("ASCII"), iconvName, QByteArray(), oneByte) == ascii;
}

const QByteArray ReplacementUtf16("\xFD\xFF", 2); // U+FFFD in UTF-16LE

QByteArray encode(const QString &text, const QString &target, QString *lost)
{
    const QList<uint> ucs4 = text.toUcs4();
    const QByteArray utf32(reinterpret_cast<const char *>(ucs4.constData()),
                           qsizetype(ucs4.size() * 4));
    QByteArray replaced;
    const QByteArray bytes = convert(utf32,
                                     QStringLiteral("UTF-32LE"),
                                     target,
                                     QByteArrayLiteral("?"),
                                     oneUtf32Character,
                                     lost ? &replaced : nullptr);
    if (lost)
        *lost += QString::fromUcs4(reinterpret_cast<const char32_t *>(replaced.constData()),
                                   replaced.size() / 4);
    return bytes;
}

QString decode(const QByteArray &bytes, const QString &source, UnitLength unitLength)
{
    const QByteArray utf16 = convert(bytes,
                                     source,
                                     QStringLiteral("UTF-16LE"),
                                     ReplacementUtf16,
                                     unitLength);
    return QString(reinterpret_cast<const QChar *>(utf16.constData()), utf16.size() / 2);
}

// Code page 950 with its user-defined areas, which iconv does not map (but for the
// last), mapped as Windows maps them; every other stretch goes through iconv.
QByteArray encode950(const QString &text, const QString &target, QString *lost)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<QByteArray> userDefined = codepage950::fromPrivateUse(
            text.at(i).unicode());
        if (!userDefined)
            continue;
        bytes += encode(text.mid(runStart, i - runStart), target, lost) + *userDefined;
        runStart = i + 1;
    }
    return bytes + encode(text.mid(runStart), target, lost);
}

QString decode950(const QByteArray &bytes, const QString &source)
{
    QString text;
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const size_t length = oneCodePage950Character(bytes.constData() + i,
                                                      size_t(bytes.size() - i));
        const std::optional<char32_t> userDefined
            = length == 2 ? codepage950::toPrivateUse(static_cast<unsigned char>(bytes.at(i)),
                                                      static_cast<unsigned char>(bytes.at(i + 1)))
                          : std::nullopt;
        if (userDefined) {
            text += decode(bytes.mid(runStart, i - runStart), source, oneCodePage950Character);
            text += QChar(char16_t(*userDefined));
            runStart = i + 2;
        }
        i += qsizetype(length);
    }
    return text + decode(bytes.mid(runStart), source, oneCodePage950Character);
}

// The halves of characters cut apart, which no code page holds.
QString unpairedSurrogates(QStringView text)
{
    QString unpaired;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool paired = text[i].isHighSurrogate() && i + 1 < text.size()
                            && text[i + 1].isLowSurrogate();
        if (paired)
            ++i;
        else if (text[i].isSurrogate())
            unpaired += text[i];
    }
    return unpaired;
}

QByteArray encodeIn(const QString &text, const QString &iconvName, QString *lost)
{
    if (isUtf8(iconvName)) {
        // Holds every character; half of one is written "?".
        if (lost)
            *lost += unpairedSurrogates(text);
        return text.toUtf8();
    }
    if (codepage950::isCodePage950(iconvName.toLatin1().constData()))
        return encode950(text, iconvName, lost);
    return encode(text, iconvName, lost);
}

QString decodeIn(const QByteArray &bytes, const QString &iconvName)
{
    if (isUtf8(iconvName))
        return QString::fromUtf8(bytes);
    if (codepage950::isCodePage950(iconvName.toLatin1().constData()))
        return decode950(bytes, iconvName);
    return decode(bytes, iconvName, oneByte);
}

void requireKnown(const QString &iconvName)
{
    State &s = state();
    QMutexLocker lock(&s.mutex);
    if (!isKnown(s, iconvName))
        throw RuntimeError(ErrorNumber::InvalidProcedureCall,
                           QStringLiteral("不認得的字碼頁名稱：%1").arg(iconvName));
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

QByteArray fromUnicode(const QString &text, const QString &iconvName, QString *lost)
{
    requireKnown(iconvName);
    if (lost)
        lost->clear();
    return encodeIn(text, iconvName, lost);
}

QString toUnicode(const QByteArray &bytes, const QString &iconvName)
{
    requireKnown(iconvName);
    return decodeIn(bytes, iconvName);
}

// The code page in force is always one iconv knows.
QByteArray fromUnicode(const QString &text)
{
    return encodeIn(text, name(), nullptr);
}

std::optional<QByteArray> fromUnicodeWhole(const QString &text)
{
    QString lost;
    QByteArray bytes = encodeIn(text, name(), &lost);
    if (!lost.isEmpty())
        return std::nullopt;
    return bytes;
}

QString toUnicode(const QByteArray &bytes)
{
    return decodeIn(bytes, name());
}

} // namespace platform::codepage
