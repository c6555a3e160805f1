// The design fonts and their Linux substitutes.

#include "suiteframe/controls/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <cstddef>

namespace controls {

namespace placeholderfont {
extern const unsigned char Bytes[];
extern const std::size_t Size;
} // namespace placeholderfont

namespace {

// The first user-defined character of Big5 (FA40), as code page 950 maps it, and a
// common character that only a font of user-defined characters lacks.
constexpr char16_t FirstUserDefined = 0xE000;
constexpr char16_t One = 0x4E00; // 一

const QString PlaceholderFamily = QStringLiteral("SuiteFrame User-Defined Placeholder");

// The installed fonts of user-defined characters alone: an office's own, converted from
// the font its Windows machines draw the rare characters of names with. (The Ming face
// has glyphs of its own in the Private Use Area, which are not the office's.)
QStringList userDefinedCharacterFonts()
{
    QStringList found;
    for (const QString &family : QFontDatabase::families()) {
        // Loading a font to look at its characters takes milliseconds: only fonts of no
        // common writing system of their own are looked at.
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        if (systems.contains(QFontDatabase::Latin)
            || systems.contains(QFontDatabase::TraditionalChinese))
            continue;
        if (family == PlaceholderFamily)
            continue;
        const QRawFont font = QRawFont::fromFont(QFont(family));
        if (font.supportsCharacter(QChar(FirstUserDefined)) && !font.supportsCharacter(QChar(One)))
            found << family;
    }
    return found;
}

// The frame's own font of an empty box at every user-defined character, loaded once.
// The Ming face has glyphs of its own in the Private Use Area, other characters than
// the office's: a name must show a box where the office's font has none, never them.
QString placeholderFamily()
{
    static const bool loaded = QFontDatabase::addApplicationFontFromData(
                                   QByteArray::fromRawData(reinterpret_cast<const char *>(
                                                               placeholderfont::Bytes),
                                                           qsizetype(placeholderfont::Size)))
                               >= 0;
    return loaded ? PlaceholderFamily : QString();
}

} // namespace

QFont designFont(const QString &family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void installFontSubstitutes()
{
    // An office's font of user-defined characters first, where one is installed, as
    // Windows draws them from its own before any other; then the Ming face; the national
    // full-character font (Debian's fonts-cns11643-sung) draws what it lacks: rarer
    // characters of names, and those of CJK Extension B outside the basic plane (𠀋,
    // 𡩋). Last, ahead of whatever the system would pick, the frame's empty box for the
    // user-defined characters none of them has.
    QStringList ming = userDefinedCharacterFonts();
    ming << QStringLiteral("AR PL UMing TW") << QStringLiteral("TW-Sung")
         << QStringLiteral("TW-Sung-Ext-B");
    if (const QString placeholder = placeholderFamily(); !placeholder.isEmpty())
        ming << placeholder;
    QFont::insertSubstitutions(QStringLiteral("新細明體"), ming);
    QFont::insertSubstitutions(QStringLiteral("細明體"), ming);
    QFont::insertSubstitutions(QStringLiteral("PMingLiU"), ming);
    QFont::insertSubstitutions(QStringLiteral("MingLiU"), ming);
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    // Latin faces have no Chinese glyphs: Chinese text in them falls back to the Ming faces.
    for (const char *latin : {"Liberation Serif", "Liberation Mono", "Liberation Sans"})
        QFont::insertSubstitutions(QString::fromLatin1(latin), ming);
}

} // namespace controls
