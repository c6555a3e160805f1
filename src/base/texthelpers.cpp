// Text helpers of basBase: SQL string literals and the text scrambling.

#include "suiteframe/base/basBase.h"

#include "suiteframe/base/failure.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/runtimeerror.h"
#include "suiteframe/platform/trim.h"

#include <QHash>

#include <array>
#include <optional>

namespace basBase {

namespace {

// The characters that the code page in force stores in a single byte, and their bytes.
// A byte counts only when it decodes alone to one character that encodes back to it,
// so lead bytes of double-byte characters and bytes the code page leaves undefined are
// not among them.
class SingleByteCharacters
{
public:
    SingleByteCharacters()
    {
        for (int byte = 0; byte < 256; ++byte) {
            const QByteArray bytes(1, static_cast<char>(byte));
            const QString decoded = platform::codepage::toUnicode(bytes);
            if (decoded.size() == 1 && decoded.at(0) != QChar::ReplacementCharacter
                && platform::codepage::fromUnicode(decoded) == bytes) {
                m_characters[byte] = decoded.at(0);
                m_bytes.insert(decoded.at(0), static_cast<quint8>(byte));
            }
        }
        // Code 0 is the NUL character in every code page.
        m_characters[0] = QChar(0);
        m_bytes.insert(QChar(0), 0);
    }

    std::optional<quint8> byteOf(QChar character) const
    {
        const auto found = m_bytes.constFind(character);
        return found == m_bytes.cend() ? std::nullopt : std::optional<quint8>(*found);
    }

    std::optional<QChar> characterOf(quint8 byte) const { return m_characters[byte]; }

private:
    std::array<std::optional<QChar>, 256> m_characters;
    QHash<QChar, quint8> m_bytes;
};

// Built once per code page; the code page can be changed while the process runs.
const SingleByteCharacters &singleByteCharacters()
{
    static QString builtFor;
    static std::optional<SingleByteCharacters> characters;
    const QString codePage = platform::codepage::name();
    if (!characters || builtFor != codePage) {
        characters.emplace();
        builtFor = codePage;
    }
    return *characters;
}

QString scrambled(const QString &text, const QString &key)
{
    const qsizetype length = text.size();
    if (length > 0 && key.isEmpty())
        throw platform::RuntimeError(platform::ErrorNumber::InvalidProcedureCall);

    const SingleByteCharacters &table = singleByteCharacters();
    QString result = text;
    qsizetype keyPosition = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const auto c = table.byteOf(text.at(i));
        const auto k = table.byteOf(key.at(keyPosition));
        if (c && k) {
            if (const auto replacement = table.characterOf(*c ^ *k))
                result[i] = *replacement;
        }
        keyPosition = (keyPosition + 1) % key.size();
    }
    return result;
}

} // namespace

QString SQLQuote(const platform::Value &value)
{
    QString result;
    failure::skip([&] {
        const QString text = value.isNull() ? QString() : value.toText();
        QString quoted = text;
        if (text.contains(u'\''))
            quoted.replace(u'\'', QStringLiteral("''"));
        result = u'\'' + platform::trimBlanks(quoted) + u'\'';
    });
    return result;
}

QString Encrypt(const QString &text, const QString &key)
{
    QString result;
    failure::report(QStringLiteral("Encrypt"), [&] { result = scrambled(text, key); });
    return result;
}

} // namespace basBase
