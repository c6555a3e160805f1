// The back and fore colours of controls.

#pragma once

class QColor;
class QWidget;

// The BackColor and ForeColor settings of the window designs, for any control: the
// back colour fills the control, the fore colour is its text.
namespace controls {

void setBackColor(QWidget *widget, const QColor &color);
void setForeColor(QWidget *widget, const QColor &color);

} // namespace controls
