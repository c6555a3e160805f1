// The form: a top-level window's geometry in twips, with the frame the window system
// reports, the one it last reported, or the design's.

#include "suiteframe/controls/form.h"

#include "suiteframe/controls/accessible_p.h"
#include "suiteframe/controls/twips.h"

#include <QAccessibleWidget>
#include <QEvent>

namespace controls {

namespace {

// A form is a window to a screen reader, which then speaks the control that has the
// focus as the window becomes active; a plain widget would read as a filler.
class FormAccessible : public QAccessibleWidget
{
public:
    explicit FormAccessible(Form *form)
        : QAccessibleWidget(form, QAccessible::Window)
    {}
};

} // namespace

Form::Form(QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    installAccessible<Form, FormAccessible>();
    installLineEditAccessible();
}

void Form::setDesignFrame(double widthTwips, double heightTwips)
{
    m_designFrame = QSize(twips::toPixels(widthTwips), twips::toPixels(heightTwips));
}

QMargins Form::reportedMargins() const
{
    const QRect outer = frameGeometry(), inner = geometry();
    return {inner.left() - outer.left(),
            inner.top() - outer.top(),
            outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

QSize Form::framePixels() const
{
    // A manager may draw a title bar without side borders: only a frame of no size at
    // all is no frame.
    const QMargins reported = reportedMargins();
    const std::optional<QMargins> frame = reported.isNull() ? m_knownMargins : reported;
    if (!frame)
        return m_designFrame;
    return {frame->left() + frame->right(), frame->top() + frame->bottom()};
}

// Where the window system reports no frame it places the client area where the window
// is moved to, and a window manager then draws its frame around it: the outer corner
// lies the known frame's edges above and left of the client area.
QPoint Form::outerTopLeft() const
{
    const QPoint corner = frameGeometry().topLeft();
    if (!reportedMargins().isNull() || !m_knownMargins)
        return corner;
    return corner - QPoint(m_knownMargins->left(), m_knownMargins->top());
}

void Form::moveOuterTo(QPoint outer)
{
    move(outer + (frameGeometry().topLeft() - outerTopLeft()));
}

bool Form::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // A window manager frames the window as it maps it, and the window moves then.
    if (event->type() == QEvent::Move || event->type() == QEvent::Show) {
        const QMargins reported = reportedMargins();
        if (!reported.isNull() && reported != m_knownMargins) {
            m_knownMargins = reported;
            frameChanged();
        }
    }
    return handled;
}

double Form::Left() const
{
    return twips::fromPixels(outerTopLeft().x());
}
double Form::Top() const
{
    return twips::fromPixels(outerTopLeft().y());
}
double Form::Width() const
{
    return twips::fromPixels(width() + framePixels().width());
}
double Form::Height() const
{
    return twips::fromPixels(height() + framePixels().height());
}
double Form::ScaleWidth() const
{
    return twips::fromPixels(width());
}
double Form::ScaleHeight() const
{
    return twips::fromPixels(height());
}

void Form::setLeft(double value)
{
    moveOuterTo({twips::toPixels(value), outerTopLeft().y()});
}

void Form::setTop(double value)
{
    moveOuterTo({outerTopLeft().x(), twips::toPixels(value)});
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
