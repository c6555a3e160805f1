// The back and fore colours of controls.

#pragma once

class QColor;
class QWidget;

// The BackColor and ForeColor settings of the window designs, for any control: the
// back colour fills the control, the fore colour is its text. A control given a back
// colour and no fore colour draws its text black, as the design was drawn on its own
// desktop, never in the desktop's text colour: a dark or high-contrast desktop would
// put light text on the design's light panels. Controls without design colours follow
// the desktop.
namespace controls {

void setBackColor(QWidget *widget, const QColor &color);
void setForeColor(QWidget *widget, const QColor &color);

} // namespace controls
