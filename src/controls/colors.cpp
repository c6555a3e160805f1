// The back and fore colours of controls, set through the widget's palette.

#include "suiteframe/controls/colors.h"

#include <QWidget>

namespace controls {

void setBackColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setForeColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

} // namespace controls
