#include "controls/fonts.h"

#include <QFont>
#include <QStringList>

namespace controls {

void installFontSubstitutes()
{
    static const struct { const char16_t *family; const char16_t *substitute; } substitutes[] = {
        {u"新細明體", u"AR PL UMing TW"},
        {u"細明體", u"AR PL UMing TW"},
        {u"PMingLiU", u"AR PL UMing TW"},
        {u"MingLiU", u"AR PL UMing TW"},
        {u"Times New Roman", u"Liberation Serif"},
        {u"Courier New", u"Liberation Mono"},
        {u"MS Sans Serif", u"Liberation Sans"},
    };
    for (const auto &entry : substitutes) {
        const QString family = QString::fromUtf16(entry.family);
        const QString substitute = QString::fromUtf16(entry.substitute);
        if (!QFont::substitutes(family).contains(substitute))
            QFont::insertSubstitution(family, substitute);
    }
}

} // namespace controls
