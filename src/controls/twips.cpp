// Widget geometry in twips, converted to and from whole pixels.

#include "suiteframe/controls/twips.h"

#include <QWidget>

#include <cmath>

namespace controls::twips {

int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / PerPixel));
}

double left(const QWidget *widget)
{
    return fromPixels(widget->x());
}
double top(const QWidget *widget)
{
    return fromPixels(widget->y());
}
double width(const QWidget *widget)
{
    return fromPixels(widget->width());
}
double height(const QWidget *widget)
{
    return fromPixels(widget->height());
}

void setLeft(QWidget *widget, double twips)
{
    widget->move(toPixels(twips), widget->y());
}

void setTop(QWidget *widget, double twips)
{
    widget->move(widget->x(), toPixels(twips));
}

void setWidth(QWidget *widget, double twips)
{
    widget->resize(toPixels(twips), widget->height());
}

void setHeight(QWidget *widget, double twips)
{
    widget->resize(widget->width(), toPixels(twips));
}

void setGeometry(QWidget *widget, double left, double top, double width, double height)
{
    widget->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace controls::twips
