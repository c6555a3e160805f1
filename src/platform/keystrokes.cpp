// Keystroke emulation: Tab and Shift+Tab queued to the widget with the focus.

#include "suiteframe/platform/keystrokes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QWidget>

namespace platform::keystrokes {

namespace {

QWidget *keyboardTarget()
{
    if (QWidget *focus = QApplication::focusWidget())
        return focus;
    return QApplication::activeWindow();
}

void press(Keystroke keystroke)
{
    // Qt reports Shift+Tab as Backtab with Shift held, as a typed Shift+Tab arrives.
    const bool backward = keystroke == Keystroke::ShiftTab;
    const int key = backward ? Qt::Key_Backtab : Qt::Key_Tab;
    const Qt::KeyboardModifiers modifiers = backward ? Qt::ShiftModifier : Qt::NoModifier;
    const QString text = backward ? QString() : QStringLiteral("\t");

    // As with a typed key, the release goes to whatever has the focus once the press
    // has been handled (the press usually moves it).
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QWidget *target = keyboardTarget();
        if (!target)
            return;
        QKeyEvent event(type, key, modifiers, text);
        QApplication::sendEvent(target, &event);
    }
}

} // namespace

void send(Keystroke keystroke)
{
    if (!QApplication::instance())
        return;
    QMetaObject::invokeMethod(
        QApplication::instance(), [keystroke] { press(keystroke); }, Qt::QueuedConnection);
}

} // namespace platform::keystrokes
