// Desktop services of the system's routines.

#pragma once

#include <QString>

#include <functional>

class QFont;

// Desktop services that the system's routines call on: the beep, the warning box,
// the screen's mouse pointer and the screen's size.
namespace platform::desktop {

// Window geometry is stated in twips (1/1440 inch): 15 make one device-independent pixel.
constexpr double TwipsPerPixel = 15.0;

void beep();

// Replaces the beep, for programs of the suite that run without a user or must stay
// silent. An empty function restores the system beep.
using BeepHandler = std::function<void()>;
void setBeepHandler(BeepHandler handler);

// Shows a modal message box with the warning icon and a single OK button.
void showWarning(const QString &title, const QString &text);

// The font of the message box: the frame sets its design font as it opens the display;
// until then the box has the application's font.
void setWarningFont(const QFont &font);

// Replaces how warnings reach the user, for programs of the suite that run without
// one (batch jobs log them elsewhere). An empty function restores the message box.
using WarningPresenter = std::function<void(const QString &title, const QString &text)>;
void setWarningPresenter(WarningPresenter presenter);

enum class MousePointer { Default, Hourglass };
void setMousePointer(MousePointer pointer);
MousePointer mousePointer();

// The primary screen's size in twips.
double screenWidthTwips();
double screenHeightTwips();

} // namespace platform::desktop
