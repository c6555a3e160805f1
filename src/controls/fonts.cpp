// The design fonts and their Linux substitutes.

#include "suiteframe/controls/fonts.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace controls {

QFont designFont(const QString &family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void installFontSubstitutes()
{
    // The Ming face first; the national full-character font (Debian's
    // fonts-cns11643-sung) draws what it lacks: rarer characters of names, and those
    // of CJK Extension B outside the basic plane (𠀋, 𡩋).
    const QStringList ming{QStringLiteral("AR PL UMing TW"),
                           QStringLiteral("TW-Sung"),
                           QStringLiteral("TW-Sung-Ext-B")};
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
