#include "controls/form.h"

#include "controls/twips.h"

namespace controls {

Form::Form(QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
}

void Form::setDesignFrame(double widthTwips, double heightTwips)
{
    m_designFrame = QSize(twips::toPixels(widthTwips), twips::toPixels(heightTwips));
}

QSize Form::framePixels() const
{
    const QSize reported = frameGeometry().size() - geometry().size();
    return reported.isEmpty() ? m_designFrame : reported;
}

// The outer frame's top-left corner is where the window is placed: move() takes it.
double Form::Left() const { return twips::fromPixels(frameGeometry().x()); }
double Form::Top() const { return twips::fromPixels(frameGeometry().y()); }
double Form::Width() const { return twips::fromPixels(width() + framePixels().width()); }
double Form::Height() const { return twips::fromPixels(height() + framePixels().height()); }
double Form::ScaleWidth() const { return twips::fromPixels(width()); }
double Form::ScaleHeight() const { return twips::fromPixels(height()); }

void Form::setLeft(double value)
{
    move(twips::toPixels(value), frameGeometry().y());
}

void Form::setTop(double value)
{
    move(frameGeometry().x(), twips::toPixels(value));
}

void Form::setWidth(double value)
{
    resize(qMax(0, twips::toPixels(value) - framePixels().width()), height());
}

void Form::setHeight(double value)
{
    resize(width(), qMax(0, twips::toPixels(value) - framePixels().height()));
}

void Form::setClientSize(double widthTwips, double heightTwips)
{
    resize(twips::toPixels(widthTwips), twips::toPixels(heightTwips));
}

} // namespace controls
