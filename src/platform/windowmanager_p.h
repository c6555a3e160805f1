// Keeping in step with the X11 window manager.

#pragma once

class QWidget;

namespace platform::windowmanager {

// Waits until the window manager has let go of a top-level window that was hidden.
// A manager withdraws a hidden window when it gets to it and clears the window's
// state then (modal, above the others, ...): a window shown again before that would
// lose the state written for its new showing. Returns at once where no X11 manager
// holds the window (the window is visible, was never shown, or runs offscreen), and
// gives up after timeoutMs.
void awaitWithdrawal(const QWidget &window, int timeoutMs = 300);

} // namespace platform::windowmanager
