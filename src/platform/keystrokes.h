// Keystroke emulation.

#pragma once

// Keystroke emulation: a keystroke queued to the window that has the keyboard focus,
// as the Windows keystroke emulation does with "{TAB}" and "+{TAB}".
namespace platform::keystrokes {

enum class Keystroke {
    Tab,      // "{TAB}"
    ShiftTab, // "+{TAB}"
};

// Queues the keystroke and returns at once. Once control is back in the event loop the
// key is pressed and released at the widget that then has the keyboard focus in the
// active window, going through event filters as typed keys do. A widget that makes no
// use of Tab itself passes it on as a move of the focus to the next (Tab) or previous
// (Shift+Tab) widget in its window's tab order that takes the focus, wrapping around at
// either end. Nothing happens when no window is active.
void send(Keystroke keystroke);

} // namespace platform::keystrokes
