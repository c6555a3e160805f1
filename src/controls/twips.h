// Twips: the window designs' unit, and widget geometry in it.

#pragma once

#include "suiteframe/platform/desktop.h"

class QWidget;

// Window geometry in twips (1/1440 inch): 15 twips make one device-independent pixel.
// Positions given in twips are rounded to whole pixels by the window system, so a
// value read back may differ from the one set by up to half a pixel.
namespace controls::twips {

constexpr double PerPixel = platform::desktop::TwipsPerPixel;

int toPixels(double twips);
constexpr double fromPixels(int pixels)
{
    return pixels * PerPixel;
}

double left(const QWidget *widget);
double top(const QWidget *widget);
double width(const QWidget *widget);
double height(const QWidget *widget);

void setLeft(QWidget *widget, double twips);
void setTop(QWidget *widget, double twips);
void setWidth(QWidget *widget, double twips);
void setHeight(QWidget *widget, double twips);
void setGeometry(QWidget *widget, double left, double top, double width, double height);

} // namespace controls::twips
