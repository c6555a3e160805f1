// The form: a top-level window's geometry in twips, with the frame the window system
// reports, the one it last reported, or the design's.

#include "suiteframe/controls/form.h"

#include "suiteframe/controls/accessible_p.h"
#include "suiteframe/controls/composition.h"
#include "suiteframe/controls/twips.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

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

// Enter alone, from either key, with the keypad's flag at most.
bool isPlainEnter(const QKeyEvent &key)
{
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
           && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

Form::Form(QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    installAccessible<Form, FormAccessible>();
    installLineEditAccessible();
    composition::watch();
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

// Enter presses the command button that has the focus, as Space does: the habit of the
// desktop the suite comes from, where Qt presses only a dialog's buttons on Enter. A key
// that reaches the window was left alone by the control that has the focus.
bool Form::pressFocusedButton(const QKeyEvent &key)
{
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if (!isPlainEnter(key) || !button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

bool Form::event(QEvent *event)
{
    if (event->type() == QEvent::KeyPress && pressFocusedButton(*static_cast<QKeyEvent *>(event)))
        return true;
    // What a form does as it closes (asking about edits not saved) sees the word being
    // composed as part of its field.
    if (event->type() == QEvent::Close)
        composition::finish();
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
