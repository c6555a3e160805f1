#include "frame/application.h"

#include "base/startupsettings.h"
#include "controls/fonts.h"
#include "platform/codepage.h"

#include <cstdio>

namespace frame {

namespace {

// A mistyped code page is said once, where the user who set it sees it; the program
// goes on in the locale's character set.
void warnOfARefusedCodePage()
{
    const QString refused = platform::codepage::refusedEnvironmentName();
    if (refused.isEmpty())
        return;
    const QString line = QStringLiteral("%1: SUITEFRAME_CODEPAGE=%2 is no character set iconv knows; "
                                        "the locale's %3 is used instead\n")
                             .arg(QCoreApplication::applicationName(), refused, platform::codepage::name());
    std::fputs(line.toLocal8Bit().constData(), stderr);
}

} // namespace

void choosePlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void startUp(QApplication &application)
{
    if (QApplication::applicationVersion().isEmpty()) {
        application.setApplicationVersion(QStringLiteral("%1.%2.%3")
                                              .arg(SUITEFRAME_VERSION_MAJOR)
                                              .arg(SUITEFRAME_VERSION_MINOR)
                                              .arg(SUITEFRAME_VERSION_PATCH));
    }
    warnOfARefusedCodePage();
    controls::installFontSubstitutes();
    basBase::startup::applySettings();
}

} // namespace frame
