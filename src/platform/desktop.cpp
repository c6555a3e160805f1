// Desktop services: the beep and the warning box with their replacements, the mouse
// pointer, and the screen's size in twips.

#include "suiteframe/platform/desktop.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <optional>

namespace platform::desktop {

namespace {

WarningPresenter &presenter()
{
    static WarningPresenter current;
    return current;
}

std::optional<QFont> &warningFont()
{
    static std::optional<QFont> font;
    return font;
}

BeepHandler &beeper()
{
    static BeepHandler current;
    return current;
}

MousePointer &currentPointer()
{
    static MousePointer pointer = MousePointer::Default;
    return pointer;
}

QSize screenPixels()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

} // namespace

void beep()
{
    if (beeper())
        beeper()();
    else
        QApplication::beep();
}

void setBeepHandler(BeepHandler handler)
{
    beeper() = std::move(handler);
}

void showWarning(const QString &title, const QString &text)
{
    if (presenter()) {
        presenter()(title, text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok);
    if (warningFont())
        box.setFont(*warningFont());
    box.exec();
}

void setWarningFont(const QFont &font)
{
    warningFont() = font;
}

void setWarningPresenter(WarningPresenter newPresenter)
{
    presenter() = std::move(newPresenter);
}

void setMousePointer(MousePointer pointer)
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (pointer == MousePointer::Hourglass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    currentPointer() = pointer;
}

MousePointer mousePointer()
{
    return currentPointer();
}

double screenWidthTwips()
{
    return screenPixels().width() * TwipsPerPixel;
}

double screenHeightTwips()
{
    return screenPixels().height() * TwipsPerPixel;
}

} // namespace platform::desktop
