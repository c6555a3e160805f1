// The back and fore colours of controls, set through the widget's palette.

#include "suiteframe/controls/colors.h"

#include <QVariant>
#include <QWidget>

namespace controls {

namespace {

// The text colour the designs were drawn with where they give none: their own
// desktop's, black. A design background never takes the desktop's text colour, which a
// dark or high-contrast desktop makes light.
const QColor DesignText(0, 0, 0);

// Marks a control whose design gives its text colour, which a later back colour keeps.
const char *const ForeColorGiven = "suiteframe_foreColorGiven";

void setTextColor(QPalette &palette, const QColor &color)
{
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
}

} // namespace

void setBackColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    if (!widget->property(ForeColorGiven).toBool())
        setTextColor(palette, DesignText);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setForeColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    setTextColor(palette, color);
    widget->setPalette(palette);
    widget->setProperty(ForeColorGiven, true);
}

} // namespace controls
