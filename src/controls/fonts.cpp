// The design fonts and their Linux substitutes.

#include "suiteframe/controls/fonts.h"

#include <QFont>
#include <QString>

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
    const QString ming = QStringLiteral("AR PL UMing TW");
    QFont::insertSubstitution(QStringLiteral("新細明體"), ming);
    QFont::insertSubstitution(QStringLiteral("細明體"), ming);
    QFont::insertSubstitution(QStringLiteral("PMingLiU"), ming);
    QFont::insertSubstitution(QStringLiteral("MingLiU"), ming);
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    // Latin faces have no Chinese glyphs: Chinese text in them falls back to the Ming face.
    for (const char *latin : {"Liberation Serif", "Liberation Mono", "Liberation Sans"})
        QFont::insertSubstitution(QString::fromLatin1(latin), ming);
}

} // namespace controls
