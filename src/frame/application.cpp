#include "frame/application.h"

#include "base/startupsettings.h"
#include "controls/fonts.h"


namespace frame {

void startUp(QApplication &application)
{
    if (QApplication::applicationVersion().isEmpty()) {
        application.setApplicationVersion(QStringLiteral("%1.%2.%3")
                                              .arg(SUITEFRAME_VERSION_MAJOR)
                                              .arg(SUITEFRAME_VERSION_MINOR)
                                              .arg(SUITEFRAME_VERSION_PATCH));
    }
    controls::installFontSubstitutes();
    basBase::startup::applySettings();
}

} // namespace frame
