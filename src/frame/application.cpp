// The start of a program: the window system platform, the program made known, and
// the start-up before the main window.

#include "suiteframe/frame/application.h"

#include "suiteframe/base/startupsettings_p.h"
#include "suiteframe/controls/fonts.h"
#include "suiteframe/platform/appinfo.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/desktop.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

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

// The program's name in its lines before the application stands: its file's name.
QString programFileName(char **argv)
{
    const QString path = QString::fromLocal8Bit(argv[0]);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString programName;

void sayAndEnd(const QString &text, int status)
{
    std::fputs((programName + QStringLiteral(": ") + text + u'\n').toLocal8Bit().constData(),
               stderr);
    std::_Exit(status);
}

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
        sayAndEnd(QStringLiteral("the display is gone: ") + message, DisplayLost);
    }
    if (handlerBeforeDisplayWatch)
        handlerBeforeDisplayWatch(type, context, message);
}

void watchTheDisplay()
{
    if (handlerBeforeDisplayWatch)
        return;
    handlerBeforeDisplayWatch = qInstallMessageHandler(endOnLostDisplay);
}

const QString Remedy = QStringLiteral(
    "; set DISPLAY or WAYLAND_DISPLAY to the desktop's display, or start the program "
    "under xvfb-run");

// Why the environment names no display for the chosen platform, or the empty text.
QString missingDisplay()
{
    const QByteArray platformName = qgetenv("QT_QPA_PLATFORM");
    if (platformName.startsWith("wayland")) {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return QStringLiteral("WAYLAND_DISPLAY is not set");
        // A display named by its socket's name lies in the runtime folder.
        if (!qgetenv("WAYLAND_DISPLAY").startsWith('/')
            && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            return QStringLiteral("WAYLAND_DISPLAY=%1 names no socket, for XDG_RUNTIME_DIR "
                                  "is not set")
                .arg(qEnvironmentVariable("WAYLAND_DISPLAY"));
        return QString();
    }
    if (platformName.startsWith("xcb") && qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("DISPLAY is not set");
    if (platformName.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set");
    return QString();
}

// Qt's messages while the application is made, held back: where the display cannot be
// opened they would say it over several lines before Qt's abort.
struct HeldMessage
{
    QtMsgType type;
    QString category;
    QString text;
};
std::vector<HeldMessage> heldMessages;

void holdWhileOpening(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        heldMessages.push_back({type, QString::fromLatin1(context.category), message});
        return;
    }
    const bool wayland = qgetenv("QT_QPA_PLATFORM").startsWith("wayland");
    const char *variable = wayland ? "WAYLAND_DISPLAY" : "DISPLAY";
    sayAndEnd(QStringLiteral("no display: cannot open %1=%2 (platform %3)")
                      .arg(QLatin1String(variable),
                           qEnvironmentVariable(variable),
                           qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("xcb")))
                  + Remedy,
              NoDisplay);
}

void showHeldMessages()
{
    for (const HeldMessage &held : std::exchange(heldMessages, {})) {
        const QByteArray category = held.category.toLatin1();
        const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        endOnLostDisplay(held.type, context, held.text);
    }
}

} // namespace

void choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb");
}

std::unique_ptr<QApplication> openDisplay(int &argc, char **argv)
{
    programName = programFileName(argv);
    choosePlatform();
    if (const QString missing = missingDisplay(); !missing.isEmpty())
        sayAndEnd(QStringLiteral("no display: ") + missing + Remedy, NoDisplay);
    watchTheDisplay();
    const QtMessageHandler watching = qInstallMessageHandler(holdWhileOpening);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(watching);
    showHeldMessages();
    translateQtTexts(*application);
    // The warning box reads in the main window's design font, as every window of the
    // frame does.
    platform::desktop::setWarningFont(controls::designFont(QStringLiteral("新細明體"), 12));
    return application;
}

void translateQtTexts(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (translator->load(QLocale(),
                         QStringLiteral("qtbase"),
                         QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator; // no translation for the locale: Qt's own English stays
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
