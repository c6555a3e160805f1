#pragma once

#include <QRect>
#include <QScreen>
#include <QString>
#include <QWidget>

// Saves the window as the screen shows it, with the window manager's frame, for the
// README's pictures.
inline void saveFramedPicture(QWidget *window, const QString &file)
{
    const QRect frame = window->frameGeometry();
    window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(file);
}
