// The start of a program: the window system platform, the program made known, and
// the start-up before the main window.

#include "suiteframe/frame/application.h"

#include "suiteframe/base/startupsettings_p.h"
#include "suiteframe/controls/fonts.h"
#include "suiteframe/platform/appinfo.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/desktop.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace frame {

namespace {

// A mistyped code page is said once, where the user who set it sees it; the program
// goes on in the locale's character set.
void warnOfARefusedCodePage()
{
    const QString refused = platform::codepage::refusedEnvironmentName();
    if (refused.isEmpty())
        return;
    const QString line = QStringLiteral(
                             "%1: SUITEFRAME_CODEPAGE=%2 is no character set iconv knows; "
                             "the locale's %3 is used instead\n")
                             .arg(QCoreApplication::applicationName(),
                                  refused,
                                  platform::codepage::name());
    std::fputs(line.toLocal8Bit().constData(), stderr);
}

QtMessageHandler handlerBeforeDisplayWatch = nullptr;

// Qt's words as a display connection breaks, a warning or, with the system's error, a
// critical message; it then exits with status 1.
bool tellsOfALostDisplay(const QString &message)
{
    return message.startsWith(QLatin1String("The Wayland connection broke"))
           || message.startsWith(QLatin1String("The Wayland connection experienced a fatal error"))
           || message.startsWith(QLatin1String("The X11 connection broke"));
}

void endOnLostDisplay(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if ((type == QtWarningMsg || type == QtCriticalMsg) && tellsOfALostDisplay(message)) {
        // Qt's threads may find the connection broken at once: one line, one end.
        static std::atomic_flag ending = ATOMIC_FLAG_INIT;
        if (ending.test_and_set()) {
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        const QString line = QStringLiteral("%1: the display is gone: %2\n")
                                 .arg(QCoreApplication::applicationName(), message);
        std::fputs(line.toLocal8Bit().constData(), stderr);
        std::_Exit(DisplayLost);
    }
    if (handlerBeforeDisplayWatch)
        handlerBeforeDisplayWatch(type, context, message);
}

} // namespace

void choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb");
}

void watchTheDisplay()
{
    if (handlerBeforeDisplayWatch)
        return;
    handlerBeforeDisplayWatch = qInstallMessageHandler(endOnLostDisplay);
}

void setProgram(const Program &program)
{
    QCoreApplication::setApplicationName(program.title);
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(program.major).arg(program.minor).arg(program.revision));
    platform::AppInfo::setProgramName(program.name);
}

Program frameProgram(const QString &title)
{
    return {QString(),
            title,
            SUITEFRAME_VERSION_MAJOR,
            SUITEFRAME_VERSION_MINOR,
            SUITEFRAME_VERSION_PATCH};
}

void startUp()
{
    warnOfARefusedCodePage();
    controls::installFontSubstitutes();
    // What the settings could not be trusted with is said once, where the user sees it.
    for (const QString &notice : basBase::startup::applySettings()) {
        std::fputs((notice + u'\n').toLocal8Bit().constData(), stderr);
        platform::desktop::showWarning(QCoreApplication::applicationName(), notice);
    }
}

} // namespace frame
